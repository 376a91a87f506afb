#pragma once

namespace kervio {

// Lets the command line's --print reach a printer: the printer named (or
// the default one) set up for the report, the pages, copies and order of
// the request printed as the preview prints them.
void installCommandLinePrinting();

} // namespace kervio
