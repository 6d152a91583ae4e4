#pragma once
// The only top-level window: the article, the check and reset buttons, the
// result list, the summary labels, the information panel and, above the
// client area where nobody sees it, the search browser the check drives.

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "check/CheckRun.h"
#include "check/ResultList.h"
#include "common/BuildConstants.h"
#include "common/Text.h"

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace tallowin::support {
class BrowserControl;
}

namespace tallowin::app {

class DetailsWindow;

// The hosts the window talks to; the build constants unless a test points
// the window at a local stand-in.
struct MainWindowSettings {
    common::Text searchHost = common::kSearchHost;
    common::Text infoHost = common::kInfoHost;
    common::Text updateHost = common::kUpdateHost;
};

// The rectangles LayoutMainWindow gives for a client area of cw x ch.
struct MainWindowLayout {
    QRect left, right, article, result, info;
    int resultColumnWidth = 0;  // columns 2 to 4
};
MainWindowLayout ComputeMainWindowLayout(int cw, int ch);

inline constexpr int kMinimumWidth = 1024;
inline constexpr int kMinimumHeight = 600;

class MainWindow : public QWidget {
public:
    explicit MainWindow(MainWindowSettings settings = {});
    ~MainWindow() override;

    // Handlers.
    void OnMainWindowCreated();
    void OnSizeChanged();
    [[noreturn]] void OnCloseRequested();
    void RunCheck();
    void OnResetClicked();
    void OnRewriteClicked();
    void OnStatusTextChanged();
    void OpenDetailsWindow();

    void LayoutMainWindow();
    void FitResultColumns();

    bool IsCheckRunning() const { return running_; }
    check::ResultList& ResultRows() { return *rows_; }
    DetailsWindow* OpenDetails() const;
    support::BrowserControl& SearchBrowser() const { return *超文本浏览框_baidu; }
    std::uint32_t WindowHandle() const { return window_; }

    QLabel* 标签2 = nullptr;
    QGroupBox* 分组框1 = nullptr;
    support::BrowserControl* 超文本浏览框_baidu = nullptr;
    QGroupBox* 分组框_left = nullptr;
    QLabel* 标签1 = nullptr;
    QPlainTextEdit* 编辑框_article = nullptr;
    QLabel* 标签_分段数量 = nullptr;
    QLabel* 标签_文章原创度 = nullptr;
    QLabel* 标签_相似数 = nullptr;
    QPushButton* 按钮2 = nullptr;
    QPushButton* 按钮3 = nullptr;
    QPushButton* 按钮4 = nullptr;
    QTableWidget* 超级列表框_result = nullptr;
    QGroupBox* 分组框_right = nullptr;
    support::BrowserControl* 超文本浏览框_info = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ClearResults();

    MainWindowSettings settings_;
    std::unique_ptr<check::ResultList> rows_;
    std::unique_ptr<check::Label> countLabel_, originalityLabel_, similarLabel_;
    QPointer<DetailsWindow> details_;
    std::uint32_t window_ = 0;
    bool running_ = false;
    bool stopRequested_ = false;
    bool resetAfterStop_ = false;
};

}  // namespace tallowin::app
