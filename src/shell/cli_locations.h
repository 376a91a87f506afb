#pragma once

namespace kervio {

// "--locations": where this program reads and keeps its files, as name=path
// lines (an empty path: not found). For installers and support.
int printLocations();

} // namespace kervio
