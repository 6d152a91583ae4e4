#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <deque>

#include "platform/QtText.h"

namespace tallowin::platform {
namespace {

std::uint32_t g_owner = 0;
std::deque<int> g_answers;
std::vector<ShownMessageBox> g_shown;

}  // namespace

int ShowMessageBox(const common::Text& text, const common::Text& title, int flags) {
    if (!g_answers.empty()) {
        const int answer = g_answers.front();
        g_answers.pop_front();
        g_shown.push_back({text, title, flags});
        return answer;
    }
    // The registry does not map handles back to widgets yet, so the box has no
    // parent; application-modal stands in for task-modal.
    QMessageBox box;
    box.setWindowModality(Qt::ApplicationModal);
    box.setText(platform_gui::ToQString(text));
    box.setWindowTitle(platform_gui::ToQString(title));
    if (flags == kMbIconError) {
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
    } else if (flags == kMbYesNoInformation) {
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    } else {
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (flags == kMbYesNoInformation) return pressed == QMessageBox::Yes ? kIdYes : kIdNo;
    return kIdOk;
}

void SetMessageBoxOwner(std::uint32_t windowHandle) { g_owner = windowHandle; }

void AnswerNextMessageBoxes(std::vector<int> answers) {
    g_answers.assign(answers.begin(), answers.end());
}

std::vector<ShownMessageBox> TakeShownMessageBoxes() {
    std::vector<ShownMessageBox> shown;
    shown.swap(g_shown);
    return shown;
}

}  // namespace tallowin::platform
