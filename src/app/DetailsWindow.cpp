#include "app/DetailsWindow.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include "app/Globals.h"
#include "common/TextOps.h"
#include "platform/Files.h"
#include "platform/QtText.h"
#include "platform/Shell.h"

namespace tallowin::app {

using platform_gui::FromQString;
using platform_gui::ToQString;

namespace {

DetailsWindow* openWindow = nullptr;

common::Text TextBeforeFirst(const common::Text& text, const common::Text& separator) {
    const int at = common::Find(text, separator);
    return at < 0 ? common::Text() : common::Left(text, at - 1);
}

common::Text TextAfterLast(const common::Text& text, const common::Text& separator) {
    const int at = common::FindLast(text, separator);
    return at < 0 ? common::Text() : common::Mid(text, at + separator.Length());
}

// A missing or unreadable file reads as "".
common::Text ReadPositionFile() {
    const std::optional<common::Bytes> bytes = platform::ReadWholeFile(DetailsPositionFile());
    return bytes ? common::TextFromBytes(*bytes) : common::Text();
}

// Replaces the file whole; a failed write is not reported.
void WritePositionFile(const common::Text& content) {
    platform::WriteWholeFile(DetailsPositionFile(), common::ToBytes(content));
}

}  // namespace

common::Text DetailsPositionFile() {
    return platform::GetSpecialFolder(platform::SpecialFolder::Temporary) + "infowindowp.temp";
}

StoredPosition ParseStoredPosition(const common::Text& content, int screenWidth, int screenHeight) {
    const std::int64_t left = common::IntegerValue(TextBeforeFirst(content, "-"));
    const std::int64_t top = common::IntegerValue(TextAfterLast(content, "-"));
    if (left > 0 && left < screenWidth && top > 0 && top < screenHeight) {
        return {true, static_cast<int>(left), static_cast<int>(top)};
    }
    return {};
}

DetailsWindow::DetailsWindow(QWidget* owner, const check::ResultList& rows)
    : QWidget(owner, Qt::Window) {
    setObjectName(u"DetailsWindow"_qs);
    setWindowTitle(u"原创度检索详情"_qs);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kDetailsWidth, kDetailsHeight);

    分组框1 = new QGroupBox(u"飘红网页（双击打开）"_qs, this);
    分组框1->setObjectName(u"分组框1"_qs);
    分组框1->setGeometry(8, 8, 456, 168);
    超级列表框1 = new QTableWidget(0, 2, 分组框1);
    超级列表框1->setObjectName(u"超级列表框1"_qs);
    超级列表框1->setGeometry(8, 24, 440, 128);
    超级列表框1->setHorizontalHeaderLabels({u"序号"_qs, u"链接"_qs});
    超级列表框1->horizontalHeader()->setSectionsClickable(false);
    超级列表框1->horizontalHeader()->setStretchLastSection(false);
    超级列表框1->verticalHeader()->hide();
    超级列表框1->setColumnWidth(0, 50);
    超级列表框1->setColumnWidth(1, 350);
    超级列表框1->setSelectionBehavior(QAbstractItemView::SelectRows);
    超级列表框1->setSelectionMode(QAbstractItemView::SingleSelection);
    超级列表框1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    超级列表框1->setShowGrid(true);
    超级列表框1->setSortingEnabled(false);
    QPalette palette = 超级列表框1->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    超级列表框1->setPalette(palette);

    按钮1 = new QPushButton(u"访问实时对比地址"_qs, this);
    按钮1->setObjectName(u"按钮1"_qs);
    按钮1->setGeometry(8, 192, 456, 32);

    connect(超级列表框1, &QTableWidget::cellDoubleClicked, this,
            [this] { OnSimilarPageDoubleClicked(); });
    connect(按钮1, &QPushButton::clicked, this, [this] { OnOpenComparisonClicked(); });

    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    move((screen.width - kDetailsWidth) / 2, (screen.height - kDetailsHeight) / 2);
    openWindow = this;
    OnDetailsWindowCreated(rows);
}

DetailsWindow::~DetailsWindow() {
    OnDetailsWindowDestroying();
    if (openWindow == this) openWindow = nullptr;
}

void DetailsWindow::OnDetailsWindowCreated(const check::ResultList& rows) {
    const int row = rows.CurrentSelection();
    if (row != -1) {
        const common::TextArray pages =
            common::Split(rows.CellText(row, check::kColumnSimilarUrls), "\r\n");
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const int r = 超级列表框1->rowCount();
            超级列表框1->insertRow(r);
            超级列表框1->setItem(
                r, 0, new QTableWidgetItem(ToQString(common::NumberText(static_cast<int>(i + 1)))));
            超级列表框1->setItem(r, 1, new QTableWidgetItem(ToQString(pages[i])));
        }
        ComparisonAddress = rows.CellText(row, check::kColumnComparison);
    }
    const common::Text content = ReadPositionFile();
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    const StoredPosition position = ParseStoredPosition(content, screen.width, screen.height);
    if (position.valid) move(position.left, position.top);
}

void DetailsWindow::OnSimilarPageDoubleClicked() {
    const QList<QTableWidgetSelectionRange> ranges = 超级列表框1->selectedRanges();
    if (ranges.isEmpty()) return;
    const QTableWidgetItem* item = 超级列表框1->item(ranges.first().topRow(), 1);
    platform::OpenInBrowser(item ? FromQString(item->text()) : common::Text());
}

void DetailsWindow::OnOpenComparisonClicked() { platform::OpenInBrowser(ComparisonAddress); }

void DetailsWindow::OnDetailsWindowDestroying() {
    if (saved_) return;
    saved_ = true;
    const QPoint at = frameGeometry().topLeft();
    const common::Text content = common::NumberText(at.x()) + "-" + common::NumberText(at.y());
    WritePositionFile(content);
}

void DetailsWindow::SaveOpenWindowPosition() {
    if (openWindow) openWindow->OnDetailsWindowDestroying();
}

}  // namespace tallowin::app
