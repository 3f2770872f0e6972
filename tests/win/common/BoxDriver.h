#pragma once
// Drives modal boxes and dialogs of the thread under test: a CBT hook sees
// each dialog window ("#32770") become active, records what it shows and
// answers it from a one-shot timer inside the dialog's own modal loop.
#include <windows.h>

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
    BoxDriver();
    ~BoxDriver();
    BoxDriver(const BoxDriver&) = delete;
    BoxDriver& operator=(const BoxDriver&) = delete;

    // Ids of the buttons to press, one per box in order; IDOK (or IDCANCEL
    // where there is no OK button) when the queue is empty.
    std::deque<int> answers;
    // Called instead of pressing a button, for dialogs a test inspects itself;
    // it must end the dialog (e.g. by posting WM_CLOSE). Return false to let
    // the answer queue handle the window after all.
    std::function<bool(HWND)> onDialog;
    std::vector<SeenBox> seen;

  private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK answerLater(HWND window, UINT, UINT_PTR timer, DWORD);
    HHOOK handle = nullptr;
};

// Runs the thread's message loop until the window is gone or the time is up;
// then removes a leftover WM_QUIT so the next modal loop does not end at once.
void pumpUntilDestroyed(HWND window, DWORD milliseconds = 5000);
// Processes pending messages for a short while.
void pumpFor(DWORD milliseconds);
std::string windowText(HWND window);
