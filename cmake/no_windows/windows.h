// Stands first on the include path of the portable targets: portable code
// never includes a Windows header, not even through a _win32 header.
#error "portable code includes <windows.h>"
