#pragma once
// What the main window's view holds; the menus enable their items from it.
enum class ViewState {
    Text = -1,   // a text file or copied text
    Empty = 0,   // nothing shown
    Stored = 1,  // a picture as it is on disk
    Changed = 2, // a picture edited since it was loaded or stored
};
