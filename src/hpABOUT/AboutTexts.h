// Every fixed text of the about window: who made the program, where to reach
// them and the copyright notice. The addresses are on a reserved example domain.
#pragma once

namespace nw::about::text {

inline constexpr wchar_t kAuthorName[] = L"Hollowpine Studio";
inline constexpr wchar_t kAuthorMail[] = L"hello@nookwayer.example";
inline constexpr wchar_t kAuthorWeb[] = L"http://www.nookwayer.example/";
inline constexpr wchar_t kCopyright[] = L"Copyright \u00A9 2026 Hollowpine Studio";

// How the lines start: the author's name, and the two link lines.
inline constexpr wchar_t kAuthorPrefix[] = L"Author: ";
inline constexpr wchar_t kLinkPrefix[] = L"> ";

// The mail link: "mailto:" address "?subject=" subject, the subject as it
// stands (its spaces are not encoded).
inline constexpr wchar_t kMailScheme[] = L"mailto:";
inline constexpr wchar_t kMailSubjectField[] = L"?subject=";
inline constexpr wchar_t kMailSubject[] = L"Program About Mail";

// When a link cannot be opened: the message, and the link after it, which
// the user can copy from the message (Ctrl+C copies its text).
inline constexpr wchar_t kMessageTitle[] = L"Nookwayer";
inline constexpr wchar_t kLinkNotOpened[] =
    L"The link could not be opened. To follow it yourself, copy it from here (Ctrl+C copies this "
    L"message):\r\n\r\n";

}  // namespace nw::about::text
