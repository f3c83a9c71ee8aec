// The system clipboard: Unicode text in and out (CF_UNICODETEXT), and a file list put on it
// (CF_HDROP) so that Explorer pastes the file.
//
// What comes back from the clipboard was put there by any program: it may lack its terminator,
// hold lone surrogates or be megabytes long. get_text reads at most max_units units, stops at the
// first NUL and never reads past the data the clipboard holds; the caller still treats the text
// as untrusted.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

enum class ClipboardResult {
    Ok,
    Busy,    // another program kept the clipboard open
    NoText,  // the clipboard holds nothing in the format asked for
    Failed,  // memory or the system refused
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Empties the clipboard and puts text (without a terminator; one is added) on it.
    virtual ClipboardResult set_text(std::u16string_view text) = 0;
    // The text on the clipboard, cut to max_units units.
    virtual ClipboardResult get_text(std::u16string& out, size_t max_units) = 0;
    // Empties the clipboard and puts a CF_HDROP block holding exactly these bytes (a DROPFILES
    // header and its file list, built by the caller) on it.
    virtual ClipboardResult set_file_drop(std::string_view payload) = 0;
};
