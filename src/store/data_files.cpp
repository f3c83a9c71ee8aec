#include "store/data_files.h"

#include <mutex>

#include "store/history.h"
#include "store/menu_usage.h"
#include "store/pins.h"

void data_files_ensure() {
    PinStore pins;
    if (pins_load(&pins)) pins_save(&pins);
    pins_release(&pins);
    {
        std::lock_guard<std::mutex> hold(history_lock());
        history_ensure_loaded_locked();
        history_save_locked();
    }
    menu_usage_load();
}
