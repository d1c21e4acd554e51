#pragma once
// The items of the "Settings" page: the product names of the check list and the seven cleaning
// option boxes. The window, the command line and the report all name them from here.
#include <span>

// The check list's product names, by item index (0 to 32).
std::span<const char* const> ProductNames();

// One cleaning option: box sCheckBoxN with its caption, as placed on the page.
struct OptionItem {
    int n;
    int top;  // 96-DPI pixels
    const char* caption;
    bool ticked;  // at start
};

// The seven options top to bottom, the order of the page, of Tab and of their creation.
std::span<const OptionItem> OptionItems();
// The option's number as the page shows it, top to bottom (1 to 7), for box N; 0 for no box.
int OptionPageNumber(int n);
// The box N for the page's option number (1 to 7); 0 for any other number.
int OptionBoxOfPageNumber(int pageNumber);
// The caption of box N; empty for no box.
const char* OptionCaption(int n);
