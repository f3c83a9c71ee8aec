// The shell's Applications folder ("shell:AppsFolder"): the packaged (Store) apps the shell lists,
// and the icon handles the launcher keeps for them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An icon handle (HICON on Windows); null for none.
using IconHandle = void*;

struct PackagedApp {
    std::u16string name;          // display name (SHGDN_NORMAL)
    std::u16string parsing_name;  // desktop-absolute parsing name: the AppUserModelID, or a "shell:" path
};

class AppsFolder {
public:
    virtual ~AppsFolder() = default;
    // Appends the folder's non-folder items, hidden ones included, in the order the shell lists
    // them. Returns 0, or a Win32/HRESULT-style non-zero code when the folder cannot be read (out
    // then keeps what was listed before the failure). Initialises COM on the calling thread for
    // the length of the call when it is not initialised yet.
    virtual uint32_t enumerate(std::vector<PackagedApp>& out) = 0;
    // DestroyIcon; null is ignored.
    virtual void destroy_icon(IconHandle icon) = 0;
    // The install folder of the newest installed package of a family ("Name_publisherid"): 0 and
    // the folder, or a Win32 error (also when the system cannot tell, as on Windows before 8).
    virtual uint32_t package_path(std::u16string_view family, std::u16string& out) {
        (void)family;
        out.clear();
        return 1168;  // ERROR_NOT_FOUND
    }
};
