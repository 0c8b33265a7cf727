// CopyClash: the reason given for a source file whose copy would replace another copy of the same
// run, because the destination takes both names for one ("A.jra" and "a.jra" where upper and
// lower case are not told apart). Both copy engines refuse such a file with this text.
#pragma once

#include <string>

namespace quillmere::CopyClash {

// The reason after the source file's path; earlierCopy is the path of the copy it would replace.
inline std::string Reason(const std::string& earlierCopy) {
    return "コピー先では " + earlierCopy +
           " と同じ名前になります（大文字と小文字を区別しない場所です）。この回にコピーしたファイルを上書きしないよう、"
           "コピーしませんでした";
}

}  // namespace quillmere::CopyClash
