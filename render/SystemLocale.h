#pragma once
// The regional settings as Qt reads them (on Unix from LC_ALL, LC_NUMERIC
// and LANG, in that order).

namespace kv4gui {

// The decimal separator of the system locale for cell texts.
char SystemDecimalSeparator();

}  // namespace kv4gui
