// The few things the program needs that Windows and the POSIX systems do differently. Each system
// has its own implementation file (Platform_posix.cpp, Platform_win.cpp), chosen by the build.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Function multi-versioning needs the ELF loader's indirect functions, which Windows lacks.
#if defined(_WIN32)
#define ORVELLE_AVX2_CLONES
#else
#define ORVELLE_AVX2_CLONES [[gnu::target_clones("avx2", "default")]]
#endif

namespace orvelle {

// Puts standard input, output and error in binary mode, so that the bytes written are exactly
// the bytes given (on POSIX systems they already are). Call once at the start of main.
void UseBinaryStandardStreams();

// The program's arguments after its name, as UTF-8 (on Windows read from the wide command line,
// since argv there holds only what the ANSI code page can spell).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// strtod with '.' as the decimal point whatever the process locale; `text` is terminated.
double StrtodC(const char* text);

// `bytes` of memory aligned to `alignment` (a power of two that divides `bytes`), with the advice
// to back it by huge pages where the system takes it; nullptr when out of memory. Released with
// FreeAligned.
void* AllocateAligned(std::size_t alignment, std::size_t bytes);
void FreeAligned(void* block) noexcept;

// The UTF-8 text of CP932 (Windows Japanese) bytes. A byte that begins no character becomes
// U+FFFD and decoding resumes at the next byte, so the same bytes give the same text everywhere.
std::string Cp932Text(std::string_view bytes);

// `text` (lines ending in '\n') with the line ends of the system's text files: unchanged on
// POSIX systems, CR LF on Windows.
std::string NativeLineEnds(std::string text);

// A file-system path from the program's UTF-8 text of it, and back: the same bytes on POSIX
// systems; on Windows the UTF-16 path, so no name depends on the ANSI code page (invalid UTF-8
// and unpaired UTF-16 become U+FFFD instead of throwing). Every path the program builds, opens
// or prints goes through these.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace orvelle
