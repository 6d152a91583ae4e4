#pragma once
// The similar pages of one result row, opened by a double-click on the row.
// It remembers its screen position between openings in a small file in the
// temporary folder.

#include <QWidget>

#include "check/ResultList.h"
#include "common/Text.h"

class QGroupBox;
class QPushButton;
class QTableWidget;

namespace tallowin::app {

inline constexpr int kDetailsWidth = 478;
inline constexpr int kDetailsHeight = 302;

// Full path of the position file.
common::Text DetailsPositionFile();

// The position stored in the file, when it passes the screen test.
struct StoredPosition {
    bool valid = false;
    int left = 0;
    int top = 0;
};
StoredPosition ParseStoredPosition(const common::Text& content, int screenWidth, int screenHeight);

class DetailsWindow : public QWidget {
public:
    // Reads the selected row of `rows` (columns 0 and 4) and places itself.
    DetailsWindow(QWidget* owner, const check::ResultList& rows);
    ~DetailsWindow() override;

    void OnDetailsWindowCreated(const check::ResultList& rows);
    void OnSimilarPageDoubleClicked();
    void OnOpenComparisonClicked();
    void OnDetailsWindowDestroying();

    // Saves the open window's position, if one is open (the process teardown).
    static void SaveOpenWindowPosition();

    QGroupBox* 分组框1 = nullptr;
    QTableWidget* 超级列表框1 = nullptr;
    QPushButton* 按钮1 = nullptr;

private:
    bool saved_ = false;
};

}  // namespace tallowin::app
