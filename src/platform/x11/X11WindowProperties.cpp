#include "platform/x11/X11WindowProperties.h"

#include "platform/x11/XcbProperty.h"

namespace tavrilux::x11 {

X11WindowProperties::X11WindowProperties(const X11DesktopAtoms& atoms) : atoms_(atoms) {}

void X11WindowProperties::apply(const Replies& replies, X11WindowList::Client& client) const {
    const X11DesktopAtoms& a = atoms_;
    client.layer = X11WindowList::kNormalLayer;
    client.isDesktop = false;
    client.isNormalOrDialog = true;
    // The first type we know decides, as EWMH asks.
    for (auto t : propertyValues(replies.type, XCB_ATOM_ATOM)) {
        bool known = true;
        client.isNormalOrDialog = t == a.typeNormal || t == a.typeDialog;
        if (t == a.typeNormal || t == a.typeDialog || t == a.typeUtility) {
            client.layer = X11WindowList::kNormalLayer;
        } else if (t == a.typeDesktop) {
            client.isDesktop = true;
        } else if (t == a.typeDock) {
            client.layer = X11WindowList::kDockLayer;
        } else if (t == a.typeToolbar || t == a.typeMenu || t == a.typeSplash) {
            client.layer = X11WindowList::kFloatingLayer;
        } else if (t == a.typeNotification) {
            client.layer = X11WindowList::kNotificationLayer;
        } else if (t == a.typeDropdownMenu || t == a.typePopupMenu || t == a.typeCombo ||
                   t == a.typeDnd) {
            client.layer = X11WindowList::kPopupLayer;
        } else if (t == a.typeTooltip) {
            client.layer = X11WindowList::kTooltipLayer;
        } else {
            known = false;
            client.isNormalOrDialog = true;
        }
        if (known) {
            break;
        }
    }
    client.hidden = false;
    client.skipTaskbar = false;
    for (auto s : propertyValues(replies.state, XCB_ATOM_ATOM)) {
        client.hidden = client.hidden || s == a.stateHidden;
        client.skipTaskbar = client.skipTaskbar || s == a.stateSkipTaskbar;
        // Kept above the others, like a floating panel: it never takes the focus from the
        // windows below it.
        if (s == a.stateAbove && client.layer == X11WindowList::kNormalLayer) {
            client.layer = X11WindowList::kFloatingLayer;
        }
    }
    const auto extents = propertyValues(replies.extents, XCB_ATOM_CARDINAL);
    if (extents.size() == 4) {
        client.left = extents[0];
        client.right = extents[1];
        client.top = extents[2];
        client.bottom = extents[3];
    } else {
        client.left = client.right = client.top = client.bottom = 0;
    }
    const std::string wmClass = propertyString(replies.wmClass);
    const auto split = wmClass.find('\0');
    client.instance = wmClass.substr(0, split);
    client.windowClass = split == std::string::npos ? std::string() : wmClass.substr(split + 1);
    if (auto end = client.windowClass.find('\0'); end != std::string::npos) {
        client.windowClass.resize(end);
    }
    client.gtkApplicationId = propertyString(replies.gtkApplicationId);
    client.hasWmState = replies.wmState != nullptr && replies.wmState->type != XCB_ATOM_NONE;
}

} // namespace tavrilux::x11
