#pragma once
// Drives modal boxes and dialogs of the thread under test: a CBT hook sees
// each dialog window ("#32770") become active, records what it shows and
// answers it from a one-shot timer inside the dialog's own modal loop.
//
// Every box a test meets must be planned: claimed by onDialog or answered from
// the queue. One that is neither fails the running test with its caption and
// text and is closed, so the test goes on instead of waiting for a click; a
// planned answer no box came for fails it too.
// Between a test's own drivers a driver without plans is active for the whole
// test program, so that no box passes unseen.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct SeenBox {
    HWND window = nullptr;
    std::string caption;
    std::string text;                  // the static with id 0xFFFF of a message box
    HWND owner = nullptr;
    std::vector<std::string> buttons;  // texts of the push buttons, in z-order
};

class BoxDriver {
  public:
    // The new driver answers the boxes until it is destroyed; then the one
    // active before it takes over again.
    BoxDriver();
    ~BoxDriver();
    BoxDriver(const BoxDriver&) = delete;
    BoxDriver& operator=(const BoxDriver&) = delete;

    // Asked first for each dialog, for dialogs a test inspects itself; when it
    // returns true it must end the dialog (e.g. by posting WM_CLOSE).
    std::function<bool(HWND)> onDialog;
    // Ids of the buttons to press, one per box onDialog does not claim, in
    // order. Answers still queued when the driver ends fail the test.
    std::deque<int> answers;
    std::vector<SeenBox> seen;

  private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK answerLater(HWND window, UINT, UINT_PTR timer, DWORD);
    BoxDriver* previous = nullptr;
};

// For isBox: the owner is not checked.
inline const HWND anyOwner = reinterpret_cast<HWND>(-1);

// Whether `box` shows this caption and text (and this owner and these button
// texts, unless anyOwner or none are given); on failure it says what differs.
testing::AssertionResult isBox(const SeenBox& box, const std::string& caption, const std::string& text,
                               HWND owner = anyOwner, const std::vector<std::string>& buttons = {});

// Runs the thread's message loop until `done` holds or the time is up, and
// tells which; then removes a leftover WM_QUIT so the next modal loop does not
// end at once.
bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);
inline bool pumpUntilDestroyed(HWND window, DWORD milliseconds = 5000) {
    return pumpUntil([window] { return !IsWindow(window); }, milliseconds);
}
std::string windowText(HWND window);
