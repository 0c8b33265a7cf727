// CopyClash: the reasons given for a source file whose copy found its name taken in the stamp
// folder. Both copy engines refuse such a file with these texts.
#pragma once

#include <string>

namespace quillmere::CopyClash {

// The destination takes both names for one ("A.jra" and "a.jra" where upper and lower case are
// not told apart); earlierCopy is the path of the copy of this run that it would replace.
inline std::string Reason(const std::string& earlierCopy) {
    return "コピー先では " + earlierCopy +
           " と同じ名前になります（大文字と小文字を区別しない場所です）。この回にコピーしたファイルを上書きしないよう、"
           "コピーしませんでした";
}

// Another file took the name (targetPath) during the run: another program, or a second run.
inline std::string TakenReason(const std::string& targetPath) {
    return "コピー先では " + targetPath +
           " の名前が、バックアップの間にほかのファイルに使われました。そのファイルを上書きしないよう、コピーしませんで"
           "した";
}

}  // namespace quillmere::CopyClash
