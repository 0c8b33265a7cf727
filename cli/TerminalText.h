// TerminalText: names made safe to show on a terminal. A file or folder name may hold control
// characters (an ESC starting a sequence that sets the window title or clears the screen, a CR
// that hides what came before); written raw they would act on the terminal instead of being
// shown. They are written as escapes, the way `ls -b` writes them: \n \r \t and the like, and
// three octal digits for the others, so the user sees which name it was.
#pragma once

#include <string>
#include <string_view>

namespace quillmere::cli::TerminalText {

enum class LineBreaks { Escape, Keep };

// The text with every control character escaped: C0 and DEL, the C1 controls of UTF-8 (U+0080 to
// U+009F) and any byte that is not part of valid UTF-8 (a raw 0x9B starts a sequence on an 8-bit
// terminal). A message keeps its own line breaks and tabs; a name on one line escapes them too.
std::string Escaped(std::string_view text, LineBreaks lineBreaks = LineBreaks::Escape);

}  // namespace quillmere::cli::TerminalText
