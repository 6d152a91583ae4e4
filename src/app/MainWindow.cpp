#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>
#include <algorithm>

#include "app/DetailsWindow.h"
#include "app/Globals.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/QtText.h"
#include "platform/Shell.h"
#include "platform/Windows.h"
#include "support/BrowserControl.h"
#include "support/BrowserDocument.h"
#include "support/PacedWait.h"
#include "update/UpdateCheck.h"

namespace tallowin::app {

using platform_gui::FromQString;
using platform_gui::ToQString;

namespace {

constexpr int kDesignWidth = 939;
constexpr int kDesignHeight = 622;

QFont YaHei(int pixels) {
    QFont font;
    // Where the Windows face is missing, a Chinese face of the desktop stands in.
    font.setFamilies({u"微软雅黑"_qs, u"Microsoft YaHei"_qs, u"WenQuanYi Micro Hei"_qs});
    font.setPixelSize(pixels);
    font.setWeight(QFont::Normal);
    return font;
}

class TableRows final : public check::ResultList {
public:
    explicit TableRows(QTableWidget* table) : table_(table) {}
    int RowCount() const override { return table_->rowCount(); }
    common::Text CellText(int row, int column) const override {
        const QTableWidgetItem* item = table_->item(row, column);
        return item ? FromQString(item->text()) : common::Text();
    }
    void SetCellText(int row, int column, const common::Text& text) override {
        if (row < 0 || row >= table_->rowCount()) return;
        QTableWidgetItem* item = table_->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            table_->setItem(row, column, item);
        }
        item->setText(ToQString(text));
    }
    int AppendRow() override {
        const int row = table_->rowCount();
        table_->insertRow(row);
        return row;
    }
    void DeleteAllRows() override { table_->setRowCount(0); }
    int CurrentSelection() const override {
        const QList<QTableWidgetSelectionRange> ranges = table_->selectedRanges();
        return ranges.isEmpty() ? -1 : ranges.first().topRow();
    }
    void SetCurrentSelection(int row) override { table_->selectRow(row); }
    void ScrollIntoView(int row) override {
        if (QTableWidgetItem* item = table_->item(row, check::kColumnNumber))
            table_->scrollToItem(item);
    }

private:
    QTableWidget* table_;
};

class LabelCaption final : public check::Label {
public:
    explicit LabelCaption(QLabel* label) : label_(label) {}
    common::Text Caption() const override { return FromQString(label_->text()); }
    void SetCaption(const common::Text& caption) override { label_->setText(ToQString(caption)); }

private:
    QLabel* label_;
};

class BrowserAdapter final : public check::SearchBrowser {
public:
    explicit BrowserAdapter(support::BrowserControl& browser) : browser_(browser) {}
    void Navigate(const common::Text& address) override { browser_.SetAddress(address); }
    bool IsComplete() const override { return browser_.IsComplete(); }
    bool LastLoadSucceeded() const override { return browser_.LastLoadSucceeded(); }
    common::Text CurrentAddress() const override { return browser_.CurrentAddress(); }
    std::uint32_t WindowHandle() const override { return browser_.WindowHandle(); }

private:
    support::BrowserControl& browser_;
};

class DocumentAdapter final : public check::PageDocument {
public:
    bool Bind(std::uint32_t handle) override {
        return SearchDocument && SearchDocument->Bind(handle);
    }
    common::Text GetOuterHtml() override {
        return SearchDocument ? SearchDocument->GetOuterHtml() : common::Text();
    }
};

class StoppableWait final : public check::PageWait {
public:
    explicit StoppableWait(const bool& stop) : stop_(stop) {}
    bool Step() override { return support::PacedWait(100, 0) && !stop_; }

private:
    const bool& stop_;
};

template <typename W>
W* Make(QWidget* parent, const QString& name, QRect rect) {
    W* widget = new W(parent);
    widget->setObjectName(name);
    widget->setGeometry(rect);
    return widget;
}

}  // namespace

MainWindowLayout ComputeMainWindowLayout(int cw, int ch) {
    MainWindowLayout l;
    l.left = QRect(8, 16, cw - 484, ch - 32);
    l.right = QRect(l.left.left() + l.left.width() + 8, 16, 460, ch - 32);
    l.article = QRect(16, 48, l.left.width() - 2 * 16, 144);
    l.result = QRect(16, 296, l.left.width() - 2 * 16, l.left.height() - 296 - 16);
    l.info = QRect(16, 16, l.right.width() - 2 * 16, l.right.height() - 2 * 16);
    l.resultColumnWidth = static_cast<int>((l.result.width() - 40) / 3.0 - 20);
    return l;
}

MainWindow::MainWindow(MainWindowSettings settings) : settings_(std::move(settings)) {
    setObjectName(u"MainWindow"_qs);
    setWindowTitle(u"Tallowin  1.0.0"_qs);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    window_ = platform_gui::CreateWindow("MainWindow", 0, {}, this);
    platform::SetMessageBoxOwner(window_);

    const QFont font14 = YaHei(14);

    标签2 = Make<QLabel>(this, u"标签2"_qs, {0, 0, 832, 16});
    标签2->setText(u"标签"_qs);
    QFont font10;
    font10.setPixelSize(10);
    标签2->setFont(font10);

    分组框1 = Make<QGroupBox>(this, u"分组框1"_qs, {640, -136, 112, 72});
    分组框1->setTitle(u"check_baidu"_qs);
    超文本浏览框_baidu =
        new support::BrowserControl(分组框1, "http://" + settings_.searchHost + "/");
    超文本浏览框_baidu->setObjectName(u"超文本浏览框_baidu"_qs);
    超文本浏览框_baidu->MoveAndSize(8, 16, 96, 48);

    分组框_left = Make<QGroupBox>(this, u"分组框_left"_qs, {});
    标签1 = Make<QLabel>(分组框_left, u"标签1"_qs, {16, 16, 232, 24});
    标签1->setText(u"将整片文章粘贴与此："_qs);
    编辑框_article = Make<QPlainTextEdit>(分组框_left, u"编辑框_article"_qs, {16, 48, 0, 144});
    编辑框_article->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    编辑框_article->setFrameShape(QFrame::StyledPanel);
    编辑框_article->setFrameShadow(QFrame::Sunken);
    编辑框_article->setStyleSheet(u"QPlainTextEdit { color: black; background: white; }"_qs);
    标签_分段数量 = Make<QLabel>(分组框_left, u"标签_分段数量"_qs, {16, 208, 104, 24});
    标签_文章原创度 = Make<QLabel>(分组框_left, u"标签_文章原创度"_qs, {136, 208, 120, 24});
    标签_相似数 = Make<QLabel>(分组框_left, u"标签_相似数"_qs, {272, 208, 232, 24});
    按钮2 = Make<QPushButton>(分组框_left, u"按钮2"_qs, {16, 247, 80, 32});
    按钮2->setText(u"检查原创度"_qs);
    按钮3 = Make<QPushButton>(分组框_left, u"按钮3"_qs, {120, 247, 80, 32});
    按钮3->setText(u"重 置"_qs);
    按钮4 = Make<QPushButton>(分组框_left, u"按钮4"_qs, {224, 247, 80, 32});
    按钮4->setText(u"伪原创处理"_qs);

    超级列表框_result = Make<QTableWidget>(分组框_left, u"超级列表框_result"_qs, {16, 296, 0, 0});
    超级列表框_result->setColumnCount(check::kResultColumns);
    超级列表框_result->setHorizontalHeaderLabels(
        {QString(), QString(), u"分段文本"_qs, u"飘红数量"_qs, u"实时对比地址"_qs});
    for (int c = 0; c < check::kResultColumns; ++c) {
        超级列表框_result->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignLeft |
                                                                     Qt::AlignVCenter);
    }
    超级列表框_result->verticalHeader()->hide();
    超级列表框_result->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    超级列表框_result->horizontalHeader()->setMinimumSectionSize(0);
    超级列表框_result->horizontalHeader()->setStretchLastSection(false);
    超级列表框_result->setSelectionBehavior(QAbstractItemView::SelectRows);
    超级列表框_result->setSelectionMode(QAbstractItemView::SingleSelection);
    超级列表框_result->setEditTriggers(QAbstractItemView::NoEditTriggers);
    超级列表框_result->setSortingEnabled(false);
    超级列表框_result->setShowGrid(true);
    超级列表框_result->setWordWrap(false);
    超级列表框_result->setColumnWidth(0, 0);
    超级列表框_result->setColumnHidden(0, true);
    超级列表框_result->setColumnWidth(1, 40);
    for (int c = 2; c < check::kResultColumns; ++c) 超级列表框_result->setColumnWidth(c, 50);
    {
        // The selection stays visible when the list has no focus.
        QPalette palette = 超级列表框_result->palette();
        palette.setColor(QPalette::Inactive, QPalette::Highlight,
                         palette.color(QPalette::Active, QPalette::Highlight));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Active, QPalette::HighlightedText));
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        超级列表框_result->setPalette(palette);
    }

    for (QWidget* w :
         std::initializer_list<QWidget*>{按钮2, 按钮3, 按钮4, 标签1, 标签_分段数量, 标签_文章原创度,
                                         标签_相似数, 编辑框_article, 超级列表框_result}) {
        w->setFont(font14);
    }

    分组框_right = Make<QGroupBox>(this, u"分组框_right"_qs, {});
    超文本浏览框_info =
        new support::BrowserControl(分组框_right, "http://" + settings_.infoHost + "/page");
    超文本浏览框_info->setObjectName(u"超文本浏览框_info"_qs);
    超文本浏览框_info->MoveAndSize(16, 16, 0, 0);

    rows_ = std::make_unique<TableRows>(超级列表框_result);
    countLabel_ = std::make_unique<LabelCaption>(标签_分段数量);
    originalityLabel_ = std::make_unique<LabelCaption>(标签_文章原创度);
    similarLabel_ = std::make_unique<LabelCaption>(标签_相似数);
    ClearResults();

    connect(按钮2, &QPushButton::clicked, this, [this] { RunCheck(); });
    connect(按钮3, &QPushButton::clicked, this, [this] { OnResetClicked(); });
    connect(按钮4, &QPushButton::clicked, this, [this] { OnRewriteClicked(); });
    connect(超文本浏览框_baidu, &support::BrowserControl::StatusTextChanged, this,
            [this] { OnStatusTextChanged(); });
    connect(超级列表框_result, &QTableWidget::cellDoubleClicked, this,
            [this] { OpenDetailsWindow(); });

    // Centred at its design size; the design width is below the minimum, so
    // the first size change widens the window, keeping its left edge.
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    move((screen.width - kDesignWidth) / 2, (screen.height - kDesignHeight) / 2);
    resize(kDesignWidth, kDesignHeight);
    LayoutMainWindow();
}

MainWindow::~MainWindow() { delete details_; }

DetailsWindow* MainWindow::OpenDetails() const { return details_; }

void MainWindow::OnMainWindowCreated() {
    CurrentVersion = "v1.0.0";
    UpdateKey = common::kUpdateKey;
    // Runs to its end before the user can work; may end the process.
    update::CheckForUpdate(CurrentVersion, UpdateKey, settings_.updateHost);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    OnSizeChanged();
}

void MainWindow::OnSizeChanged() {
    // The minimum is of the outer size; the frame is known once the window is shown.
    const int frameWidth = frameGeometry().width() - width();
    const int frameHeight = frameGeometry().height() - height();
    const int minWidth = kMinimumWidth - frameWidth;
    const int minHeight = kMinimumHeight - frameHeight;
    if (width() < minWidth || height() < minHeight) {
        // Raises a further size change, which finds the size within bounds.
        resize(std::max(width(), minWidth), std::max(height(), minHeight));
    }
    LayoutMainWindow();
}

void MainWindow::LayoutMainWindow() {
    const MainWindowLayout l = ComputeMainWindowLayout(width(), height());
    分组框_left->setGeometry(l.left);
    分组框_right->setGeometry(l.right);
    编辑框_article->setGeometry(l.article);
    超级列表框_result->setGeometry(l.result);
    超文本浏览框_info->MoveAndSize(l.info.left(), l.info.top(), l.info.width(), l.info.height());
    FitResultColumns();
}

void MainWindow::FitResultColumns() {
    const double each = (超级列表框_result->width() - 超级列表框_result->columnWidth(1)) / 3.0 - 20;
    for (int c = 2; c <= 4; ++c) 超级列表框_result->setColumnWidth(c, static_cast<int>(each));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    OnCloseRequested();
}

void MainWindow::OnCloseRequested() { platform::EndProcess(0); }

void MainWindow::RunCheck() {
    // The controls stay enabled while a run waits; a second press would write
    // into the list the first run is still filling.
    if (running_) return;
    running_ = true;
    stopRequested_ = false;
    BrowserAdapter browser(*超文本浏览框_baidu);
    DocumentAdapter document;
    StoppableWait wait(stopRequested_);
    const check::CheckRunOutcome outcome = check::RunCheck(
        FromQString(编辑框_article->toPlainText().replace(u'\n', u"\r\n"_qs)), settings_.searchHost,
        {*rows_, *countLabel_, *originalityLabel_, *similarLabel_, browser, document, wait});
    running_ = false;
    if (outcome == check::CheckRunOutcome::Stopped && resetAfterStop_) {
        resetAfterStop_ = false;
        OnResetClicked();
    }
}

void MainWindow::OnResetClicked() {
    if (running_) {
        // The run stops at its next wait step and the reset follows.
        stopRequested_ = true;
        resetAfterStop_ = true;
        return;
    }
    编辑框_article->setPlainText(QString());
    ClearResults();
}

void MainWindow::ClearResults() {
    rows_->DeleteAllRows();
    countLabel_->SetCaption("分段数量：0");
    originalityLabel_->SetCaption("文章原创度：0%");
    similarLabel_->SetCaption("该文章在网络上有：0篇相似文章");
}

void MainWindow::OnRewriteClicked() {
    platform::ShowMessageBox("功能开发中，敬请期待！", "提示", platform::kMbIconInformation);
}

void MainWindow::OnStatusTextChanged() {
    标签2->setText(ToQString(超文本浏览框_baidu->StatusText()));
}

void MainWindow::OpenDetailsWindow() {
    if (rows_->CurrentSelection() == -1) return;
    // Saves the old window's place before the new one reads it.
    delete details_;
    details_ = new DetailsWindow(this, *rows_);
    details_->show();
}

}  // namespace tallowin::app
