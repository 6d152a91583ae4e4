// The real main window and details window, with real browsers, against the
// local search stand-in started by this program.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/DetailsWindow.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "common/TextOps.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/QtText.h"
#include "platform/Shell.h"
#include "support/BrowserControl.h"
#include "testing/ServerProcess.h"

namespace tallowin::app {
namespace {

using common::Text;
using platform_gui::FromQString;
using platform_gui::ToQString;

// The search stand-in, started by main() for the whole binary.
test_servers::SearchReplica* replica = nullptr;

Text Host() { return Text(replica->Host()); }

Text Repeat(const char* character, int times) {
    Text t;
    for (int i = 0; i < times; ++i) t += character;
    return t;
}

// A paragraph of the bundled corpus, read as the user would paste it.
QString CorpusParagraph() {
    QFile file(TALLOWIN_SOURCE_DIR "/tools/search-replica/corpus/01-hongshaorou.txt");
    file.open(QIODevice::ReadOnly);
    const QStringList paragraphs =
        QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QString longest;
    for (const QString& p : paragraphs) {
        if (p.trimmed().size() > longest.size()) longest = p.trimmed();
    }
    return longest.left(100);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<MainWindow>(MainWindowSettings{Host(), Host()});
        window->show();
    }
    void TearDown() override { window.reset(); }

    Text Cell(int row, int column) { return window->ResultRows().CellText(row, column); }
    QString Caption(QLabel* label) { return label->text(); }
    void Check(const QString& article) {
        window->编辑框_article->setPlainText(article);
        window->按钮2->click();
    }

    std::unique_ptr<MainWindow> window;
};

TEST(MainWindowLayout, ClientWidth1008GivesTheDesignedPanels) {
    const MainWindowLayout l = ComputeMainWindowLayout(1008, 562);
    EXPECT_EQ(l.left, QRect(8, 16, 524, 530));
    EXPECT_EQ(l.right, QRect(540, 16, 460, 530));
    EXPECT_EQ(l.article, QRect(16, 48, 492, 144));
    EXPECT_EQ(l.result, QRect(16, 296, 492, 218));
    EXPECT_EQ(l.info, QRect(16, 16, 428, 498));
    EXPECT_EQ(l.resultColumnWidth, 130);
}

TEST_F(MainWindowTest, FreshWindowHasItsControlsCaptionsAndMinimumSize) {
    EXPECT_EQ(window->windowTitle(), u"Tallowin  1.0.0"_qs);
    EXPECT_EQ(window->frameGeometry().width(),
              kMinimumWidth);  // designed 939 wide, widened at once
    EXPECT_EQ(Caption(window->标签2), u"标签"_qs);
    EXPECT_EQ(Caption(window->标签_分段数量), u"分段数量：0"_qs);
    EXPECT_EQ(Caption(window->标签_文章原创度), u"文章原创度：0%"_qs);
    EXPECT_EQ(Caption(window->标签_相似数), u"该文章在网络上有：0篇相似文章"_qs);
    EXPECT_EQ(window->按钮3->text(), u"重 置"_qs);
    EXPECT_EQ(window->findChild<QTableWidget*>(u"超级列表框_result"_qs), window->超级列表框_result);
    EXPECT_EQ(window->分组框1->geometry(), QRect(640, -136, 112, 72));
    EXPECT_TRUE(window->超级列表框_result->isColumnHidden(0));
    EXPECT_EQ(window->超级列表框_result->columnWidth(1), 40);
    EXPECT_EQ(window->按钮2->font().pixelSize(), 14);
    EXPECT_EQ(window->标签2->font().pixelSize(), 10);

    window->resize(700, 400);
    EXPECT_EQ(window->frameGeometry().size(), QSize(1024, 600));
    window->resize(1100, 700);
    const MainWindowLayout l = ComputeMainWindowLayout(1100, 700);
    EXPECT_EQ(window->分组框_left->geometry(), l.left);
    EXPECT_EQ(window->分组框_right->geometry(), l.right);
    EXPECT_EQ(window->超级列表框_result->geometry(), l.result);
    EXPECT_EQ(window->超级列表框_result->columnWidth(4), l.resultColumnWidth);
}

TEST_F(MainWindowTest, RewriteShowsTheNoticeAndChangesNothing) {
    window->编辑框_article->setPlainText(u"原文"_qs);
    platform::AnswerNextMessageBoxes({platform::kIdOk});
    window->按钮4->click();
    const auto shown = platform::TakeShownMessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Text("功能开发中，敬请期待！"));
    EXPECT_EQ(shown[0].title, Text("提示"));
    EXPECT_EQ(shown[0].flags, 64);
    EXPECT_EQ(window->编辑框_article->toPlainText(), u"原文"_qs);
}

TEST_F(MainWindowTest, EightyCharactersGiveThreeRowsAndTheSummary) {
    int statusChanges = 0;
    QObject::connect(window->超文本浏览框_baidu, &support::BrowserControl::StatusTextChanged,
                     [&] { ++statusChanges; });
    // Invented text: nothing of it is in the corpus.
    const Text article = Repeat("龘", 40) + "\r\n" + Repeat("靐", 40);
    Check(ToQString(article));
    ASSERT_EQ(window->超级列表框_result->rowCount(), 3);
    const int lengths[] = {72, 72, 16};  // bytes of 36, 36 and 8 characters
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(Cell(r, 1), common::NumberText(r + 1));
        EXPECT_EQ(Cell(r, 2).Length(), lengths[r]);
        EXPECT_EQ(Cell(r, 3), Text("0"));
        EXPECT_EQ(Cell(r, 0), Text(""));
        EXPECT_EQ(common::Left(Cell(r, 4), 8 + Host().Length() + 6),
                  "https://" + Host() + "/s?wd=");
    }
    EXPECT_EQ(window->ResultRows().CurrentSelection(), 2);
    EXPECT_EQ(Caption(window->标签_分段数量), u"分段数量：3"_qs);
    EXPECT_EQ(Caption(window->标签_文章原创度), u"文章原创度：100%"_qs);
    EXPECT_EQ(Caption(window->标签_相似数), u"该文章在网络上有：0篇相似文章"_qs);
    // The status strip follows the search browser once it reports a text.
    EXPECT_GT(statusChanges, 0);
    EXPECT_EQ(FromQString(window->标签2->text()), window->超文本浏览框_baidu->StatusText());

    // Reset empties the window but leaves the status strip.
    const QString status = window->标签2->text();
    window->按钮3->click();
    EXPECT_EQ(window->超级列表框_result->rowCount(), 0);
    EXPECT_TRUE(window->编辑框_article->toPlainText().isEmpty());
    EXPECT_EQ(Caption(window->标签_分段数量), u"分段数量：0"_qs);
    EXPECT_EQ(Caption(window->标签_文章原创度), u"文章原创度：0%"_qs);
    EXPECT_EQ(Caption(window->标签_相似数), u"该文章在网络上有：0篇相似文章"_qs);
    EXPECT_EQ(window->标签2->text(), status);
}

TEST_F(MainWindowTest, CopiedParagraphFindsSimilarPagesAndASecondRunDoesNotLeak) {
    const QString paragraph = CorpusParagraph();
    ASSERT_GE(paragraph.size(), 40);
    Check(paragraph);
    const int rows = window->超级列表框_result->rowCount();
    ASSERT_GE(rows, 2);
    int flagged = 0;
    for (int r = 0; r < rows; ++r) {
        if (Cell(r, 3) != Text("0")) {
            ++flagged;
            EXPECT_GT(common::IntegerValue(Cell(r, 3)), 0) << Cell(r, 3);
            EXPECT_EQ(common::Right(Cell(r, 0), 2), Text("\r\n"));
        }
    }
    EXPECT_GT(flagged, 0);
    EXPECT_NE(Caption(window->标签_文章原创度), u"文章原创度：100%"_qs);
    EXPECT_NE(Caption(window->标签_相似数), u"该文章在网络上有：0篇相似文章"_qs);

    Check(ToQString(Repeat("龘", 10)));
    ASSERT_EQ(window->超级列表框_result->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), Text(""));
    EXPECT_EQ(Cell(0, 3), Text("0"));
    EXPECT_EQ(Caption(window->标签_文章原创度), u"文章原创度：100%"_qs);
    EXPECT_EQ(Caption(window->标签_相似数), u"该文章在网络上有：0篇相似文章"_qs);
}

TEST_F(MainWindowTest, PagesThatCannotBeReadAreSearchFailures) {
    // One row per marker; the time-out costs its 30 seconds.
    const char* markers[] = {"@robot@", "@error@", "@layout@", "@timeout@"};
    Text article;
    for (const char* m : markers)
        article += Text(m) + Repeat("龘", 36 - static_cast<int>(std::strlen(m)));
    Check(ToQString(article));
    ASSERT_EQ(window->超级列表框_result->rowCount(), 4);
    for (int r = 0; r < 4; ++r) {
        SCOPED_TRACE(markers[r]);
        EXPECT_EQ(Cell(r, 3), Text("检索失败"));
        EXPECT_EQ(Cell(r, 0), Text(""));
    }
    EXPECT_EQ(Caption(window->标签_文章原创度), u"文章原创度：0%"_qs);
}

TEST_F(MainWindowTest, EmptyArticleGivesNoRowAndNoNavigation) {
    const Text before = window->超文本浏览框_baidu->CurrentAddress();
    Check(u" \n\n　"_qs);
    EXPECT_EQ(Caption(window->标签_分段数量), u"分段数量：0"_qs);
    EXPECT_EQ(window->超级列表框_result->rowCount(), 0);
    EXPECT_EQ(window->超文本浏览框_baidu->CurrentAddress(), before);
}

TEST_F(MainWindowTest, PressesDuringARunAreIgnoredOrStopIt) {
    // A second check press while the first waits changes nothing.
    QTimer::singleShot(150, [&] { window->按钮2->click(); });
    Check(ToQString(Repeat("龘", 40)));
    EXPECT_FALSE(window->IsCheckRunning());
    EXPECT_EQ(window->超级列表框_result->rowCount(), 2);
    EXPECT_EQ(Cell(1, 3), Text("0"));

    // Reset while a page never completes: the run stops, then the window clears.
    QTimer::singleShot(500, [&] { window->按钮3->click(); });
    QElapsedTimer clock;
    clock.start();
    Check(ToQString("@timeout@" + Repeat("龘", 60)));
    EXPECT_LT(clock.elapsed(), 20000);
    EXPECT_FALSE(window->IsCheckRunning());
    EXPECT_EQ(window->超级列表框_result->rowCount(), 0);
    EXPECT_TRUE(window->编辑框_article->toPlainText().isEmpty());
    EXPECT_EQ(Caption(window->标签_文章原创度), u"文章原创度：0%"_qs);
}

struct ProcessEnded {
    int code;
};

TEST_F(MainWindowTest, EndingTheProcessRunsTheTeardown) {
    platform::SetProcessEndHandlerForTests([](int code) { throw ProcessEnded{code}; });
    Text versionAtEnd, keyAtEnd;
    bool documentAtEnd = false;
    const auto teardown = [&] {
        versionAtEnd = CurrentVersion;
        keyAtEnd = UpdateKey;
        documentAtEnd = SearchDocument != nullptr;
        DestroyGlobals();
    };

    // Closing the window: exit code 0, globals released.
    platform::RegisterTeardown(teardown);
    ComparisonAddress = "https://x/s?wd=1";
    try {
        window->OnCloseRequested();
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.code, 0);
    }
    EXPECT_TRUE(documentAtEnd);
    EXPECT_EQ(SearchDocument, nullptr);
    EXPECT_EQ(ComparisonAddress, Text(""));
    CreateGlobals();

    // The creation handler sets the version and key, then the update check;
    // with no update server it tells the user and ends the process.
    MainWindow starting({Host(), Host(), "127.0.0.1:1"});
    platform::RegisterTeardown(teardown);
    platform::AnswerNextMessageBoxes({platform::kIdOk});
    try {
        starting.OnMainWindowCreated();
        ADD_FAILURE() << "the process did not end";
    } catch (const ProcessEnded& ended) {
        EXPECT_EQ(ended.code, 0);
    }
    const auto shown = platform::TakeShownMessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Text("网络不稳定，请稍后再试！"));
    EXPECT_EQ(versionAtEnd, Text("v1.0.0"));
    EXPECT_EQ(keyAtEnd, Text(common::kUpdateKey));
    EXPECT_EQ(SearchDocument, nullptr);
    CreateGlobals();
    platform::SetProcessEndHandlerForTests({});
}

// Details window -----------------------------------------------------------

class DetailsWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QFile::remove(ToQString(DetailsPositionFile()));
        platform::SetOpenInBrowserHandlerForTests([this](const Text& a) { opened.push_back(a); });
    }
    void TearDown() override {
        platform::SetOpenInBrowserHandlerForTests({});
        MainWindowTest::TearDown();
    }
    DetailsWindow* OpenRow(const Text& column0, const Text& column4) {
        check::ResultList& rows = window->ResultRows();
        rows.DeleteAllRows();
        const int r = rows.AppendRow();
        rows.SetCellText(r, 0, column0);
        rows.SetCellText(r, 4, column4);
        rows.SetCurrentSelection(r);
        window->OpenDetailsWindow();
        return window->OpenDetails();
    }
    void WritePosition(const char* content) {
        QFile file(ToQString(DetailsPositionFile()));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
    }
    QByteArray StoredPosition() {
        QFile file(ToQString(DetailsPositionFile()));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    std::vector<Text> opened;
};

TEST_F(DetailsWindowTest, ListsTheRowsPagesAndOpensThem) {
    DetailsWindow* details = OpenRow("http://a/1\r\nhttp://b/2\r\n", "https://s/s?wd=x");
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->windowTitle(), u"原创度检索详情"_qs);
    EXPECT_EQ(details->size(), QSize(kDetailsWidth, kDetailsHeight));
    QTableWidget* list = details->超级列表框1;
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(0, 0)->text(), u"1"_qs);
    EXPECT_EQ(list->item(0, 1)->text(), u"http://a/1"_qs);
    EXPECT_EQ(list->item(1, 0)->text(), u"2"_qs);
    EXPECT_EQ(list->item(1, 1)->text(), u"http://b/2"_qs);
    EXPECT_EQ(ComparisonAddress, Text("https://s/s?wd=x"));

    details->OnSimilarPageDoubleClicked();  // no selection: nothing
    list->selectRow(1);
    details->OnSimilarPageDoubleClicked();
    details->按钮1->click();
    EXPECT_EQ(opened, (std::vector<Text>{"http://b/2", "https://s/s?wd=x"}));

    // One window at a time; an empty column 0 gives an empty list.
    DetailsWindow* second = OpenRow("", "");
    EXPECT_EQ(window->findChildren<QWidget*>(u"DetailsWindow"_qs).size(), 1);
    EXPECT_EQ(second->超级列表框1->rowCount(), 0);
    EXPECT_EQ(ComparisonAddress, Text(""));

    window->ResultRows().SetCurrentSelection(-1);
    window->超级列表框_result->clearSelection();
    window->OpenDetailsWindow();
    EXPECT_EQ(window->OpenDetails(), second);
}

TEST_F(DetailsWindowTest, PositionFileRules) {
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    const QPoint centred((screen.width - kDetailsWidth) / 2, (screen.height - kDetailsHeight) / 2);
    const std::string w = std::to_string(screen.width), h = std::to_string(screen.height);
    struct Case {
        std::string content;
        QPoint expected;
    } cases[] = {
        {"120-80", {120, 80}}, {"100--20", {100, 20}}, {"-20-100", centred},  {"0-80", centred},
        {"120-0", centred},    {w + "-80", centred},   {"120-" + h, centred}, {"120", centred},
        {"", centred},         {"abc-def", centred},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        delete window->OpenDetails();  // it would save its own place over the file
        WritePosition(c.content.c_str());
        DetailsWindow* details = OpenRow("", "");
        EXPECT_EQ(details->pos(), c.expected);
    }

    // Saved on replacement and on close, as left-top.
    DetailsWindow* details = OpenRow("", "");
    details->move(100, -20);
    OpenRow("", "");
    EXPECT_EQ(StoredPosition(), QByteArray("100--20"));
    window->OpenDetails()->move(130, 90);
    window->OpenDetails()->close();  // closing destroys the window
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->OpenDetails(), nullptr);
    EXPECT_EQ(StoredPosition(), QByteArray("130-90"));

    // A window still open when the process ends keeps its place too.
    OpenRow("", "")->move(140, 70);
    DetailsWindow::SaveOpenWindowPosition();
    EXPECT_EQ(StoredPosition(), QByteArray("140-70"));
}

}  // namespace
}  // namespace tallowin::app

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    tallowin::test_servers::SearchReplica replica;
    tallowin::app::replica = &replica;
    if (!replica.Started()) {
        std::fprintf(stderr, "search replica did not start\n");
        return 1;
    }
    const QString temp = QDir::temp().filePath(u"tallowin-app-test-%1"_qs.arg(getpid()));
    QDir().mkpath(temp);
    setenv("TMPDIR", temp.toLocal8Bit().constData(), 1);
    std::string flags =
        std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") ? std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") : "";
    flags += " --ignore-certificate-errors-spki-list=" + replica.Spki();
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    tallowin::app::CreateGlobals();
    const int result = RUN_ALL_TESTS();
    tallowin::app::DestroyGlobals();
    QDir(temp).removeRecursively();
    return result;
}
