// LeakSanitizer's defaults for every program of this repository.
//
// The runtime allocates a few blocks of its own with objc_malloc while it loads and keeps
// them for the life of the process. Objects come from objc_calloc instead, so a leaked
// object is still reported.
//
// Fontconfig, which CoreGraphics' text goes through, keeps blocks of its configuration and
// font patterns it never frees. Only blocks allocated inside fontconfig are let go; nothing
// of this repository's is allocated there.
//
// The list of suppressions used stays off stderr, which belongs to the programs.
extern "C" const char* __lsan_default_suppressions() { return "leak:objc_malloc\nleak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
