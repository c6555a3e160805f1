// Linked into every program of the sanitizer build: modules that a library loads with
// dlopen stay loaded to the end of the process. LeakSanitizer looks at exit; memory that
// only an unloaded module's data still pointed to would be a leak of an "<unknown
// module>", which no suppression by library name can match (Mesa's driver, unloaded
// as Qt ends its EGL display, is one). Kept loaded, the module's data is searched for
// pointers as every loaded library's is, and whatever a module does lose is reported
// under the module's name. The frame's own code is never unloaded, so nothing of it
// is hidden.

// Interposes on the C library's dlclose for the whole process: the program comes first
// in symbol lookup, before the sanitizer's runtime and the C library.
extern "C" int dlclose(void *)
{
    return 0;
}
