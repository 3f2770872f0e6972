#pragma once
// Prints a listing on a printer the user picks: the title with a rule under
// it, the lines in bold 10-point "Courier New", "Seite -N-" at the foot of
// every page when there is more than one. Shared by Spulwerk and kalov.
#include <windows.h>

#include <string>
#include <vector>

#include "hexdump/ListingLayout.h"

enum class PrintResult { Printed, NothingToPrint, Cancelled, Declined, Failed };

// `owner` owns the printer dialog; `mainWindow` owns the box about an empty
// list. Every outcome but Printed and Cancelled has told the user already.
PrintResult printListing(HWND owner, HWND mainWindow, const std::vector<std::string>& lines,
                         const std::string& title, const ListingVariant& variant);

// The same for the items of a list box, in order.
PrintResult printListing(HWND owner, HWND mainWindow, HWND listBox, const std::string& title,
                         const ListingVariant& variant);

std::vector<std::string> listBoxLines(HWND listBox);
