// The source manager over SANE, loaded at run time: the triplets the
// acquisition link sends become SANE calls. Opening and closing the source
// manager are sane_init and sane_exit; the default and the user's choice of
// source come from SANE's device list (the choice through Prompts'
// device list); opening and closing a source are sane_open and sane_close.
// Enabling the source shows the scan dialog (mode, resolution, document
// source from the device's options), then scans on a worker thread: each page
// (sane_start, sane_get_parameters, sane_read until the end, frames of a
// three-pass scanner combined) becomes a packed bottom-up bitmap of 1 bit
// (line art, two-colour table), 8 bits (grey, grey table) or 24 bits, and a
// document feeder goes on while sane_start gives another page, up to the
// transfer count. Finished pages are announced as "transfer ready" through
// the process-event triplet, which the link polls on the UI thread; when the
// scan is over (or the dialog was cancelled) the next poll gives "close
// request". Cancel in the progress window calls sane_cancel.
#pragma once

#include <memory>
#include <string>

#include "platform/Twain.h"

namespace lumora {

class Prompts;

inline constexpr char kSaneLibrary[] = "libsane.so.1";

// Loads `library` and returns the source manager over it; null when the
// library or one of the SANE functions is missing.
std::unique_ptr<SourceManager> LoadSaneSourceManager(Prompts& prompts, const std::string& library = kSaneLibrary);

}  // namespace lumora
