// Another program holding the Print key: grabs it on the root window with any modifiers,
// prints "ready" once the server has it, and keeps it until killed.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr);
    if (!map)
        return 2;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    int grabbed = 0;
    for (int k = 0; k < count; ++k)
        for (int i = 0; i < map->keysyms_per_keycode; ++i)
            if (syms[k * map->keysyms_per_keycode + i] == 0xff61) { // Print
                xcb_generic_error_t* e = xcb_request_check(
                    c, xcb_grab_key_checked(c, 1, root, XCB_MOD_MASK_ANY,
                                            xcb_keycode_t(setup->min_keycode + k),
                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
                grabbed += e == nullptr;
                std::free(e);
                break;
            }
    std::free(map);
    if (!grabbed)
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    while (xcb_generic_event_t* e = xcb_wait_for_event(c))
        std::free(e);
    return 0;
}
