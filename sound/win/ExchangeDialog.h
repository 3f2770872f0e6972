#pragma once
// "Sounddialog": the exchange dialog of "&Konverter", modal, owned by `owner`.
#include <windows.h>

void showExchangeDialog(HWND owner);
