#include "cli/CommandLine.h"

#include "backup/RetentionRule.h"
#include "platform/ProgramInfo.h"

namespace quillmere::cli {
namespace {

// "--keep-runs N" or "--keep-runs=N": answers whether arg is the option, taking its number
// (and the next argument when that holds it) into limit, or an error into error.
bool TakeLimit(const std::string& name, const std::vector<std::string>& args, std::size_t& i,
               std::optional<unsigned>& limit, std::string& error) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == name) {
        if (i + 1 >= args.size()) {
            error = name + " には数を指定してください。";
            return true;
        }
        value = args[++i];
    } else if (arg.starts_with(name + "=")) {
        value = arg.substr(name.size() + 1);
    } else {
        return false;
    }
    limit = RetentionRule::LimitFromArgument(value);
    if (!limit) error = name + " には 0 以上の整数を指定してください: " + value;
    return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine command;
    std::vector<std::string> folders;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && (TakeLimit("--keep-runs", args, i, command.keepRuns, command.error) ||
                              TakeLimit("--keep-days", args, i, command.keepDays, command.error))) {
            if (!command.error.empty()) return command;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            command.help = true;
        } else if (!optionsEnded && (arg == "--yes" || arg == "-y")) {
            command.yes = true;
        } else if (!optionsEnded && (arg == "--quiet" || arg == "-q")) {
            command.quiet = true;
        } else if (!optionsEnded && arg == "--version") {
            command.version = true;
        } else if (!optionsEnded && arg == "--list") {
            command.list = true;
        } else if (!optionsEnded && arg == "--dry-run") {
            command.dryRun = true;
        } else if (!optionsEnded && (arg == "--share-unchanged" || arg == "--no-share-unchanged")) {
            command.shareUnchanged = arg == "--share-unchanged";
        } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            // "-" alone is taken as a folder name; anything else with a dash is an option we do
            // not know, and guessing at it could copy to the wrong place.
            command.error = "不明なオプションです: " + arg;
            return command;
        } else {
            folders.push_back(arg);
        }
    }
    if (command.list && command.dryRun) {
        command.error = "--list と --dry-run は一緒に指定できません。";
        return command;
    }
    if (command.list || command.dryRun) {
        if (folders.size() > 1) {
            command.error =
                std::string(command.list ? "--list" : "--dry-run") + " にはコピー先フォルダを一つだけ指定できます。";
        }
        if (folders.size() == 1) command.inputs.destination = folders[0];
        return command;
    }
    if (folders.size() == 1 || folders.size() > 3) {
        command.error = "フォルダはコピー元とコピー先の二つを指定してください (ファイル種別は三つめに指定できます)。";
        return command;
    }
    if (folders.size() >= 2) {
        command.inputs.source = folders[0];
        command.inputs.destination = folders[1];
    }
    if (folders.size() == 3) command.inputs.wildcard = folders[2];
    return command;
}

std::string UsageText() {
    return "使い方: quillmere-backup [--yes] [--quiet] [--keep-runs N] [--keep-days D]\n"
           "                         [--[no-]share-unchanged]\n"
           "                         [コピー元 コピー先 [ファイル種別]]\n"
           "        quillmere-backup --list [--keep-runs N] [--keep-days D] [コピー先]\n"
           "        quillmere-backup --dry-run [--keep-runs N] [--keep-days D] [コピー先]\n"
           "\n"
           "コピー元フォルダのファイル種別に合うファイルを、コピー先フォルダの中に作る日時の\n"
           "フォルダ (yyyymmdd_hhnnss) へコピーします。フォルダを指定しないときは前回の入力\n"
           "(ウィンドウと共通) を使い、ファイル種別を省略したときは前回のファイル種別を使います。\n"
           "成功すると、日時のフォルダのパスを標準出力の最後の行に書き、入力を保存します。\n"
           "コピー先フォルダに改行を含むパスは使えません。\n"
           "\n"
           "  -y, --yes      コピー先フォルダがないときは作成する (指定しないと作成しない)。\n"
           "                 前回と別のファイルシステムにあるコピー先フォルダも使う\n"
           "  -q, --quiet    成功したときは標準出力に何も書かない (失敗は標準エラー出力に書く)\n"
           "      --list     コピー先 (省略時は前回のコピー先) の日時のフォルダを古い順に、結果\n"
           "                 (完了、中止、失敗、実行中、中断、記録なし)、ファイル数、バイト数と\n"
           "                 ともに一覧する。終了ステータスは 0 (一覧した)、1 (コピー先か記録を\n"
           "                 読めなかった)、3 (コピー先が指定されていない)。次のバックアップが完了\n"
           "                 した後に削除されるフォルダには「次回削除」と付く\n"
           "      --keep-runs N  完了したバックアップを新しいものから N 個残し、それより古い\n"
           "                 日時のフォルダを、バックアップが完了した後で削除する\n"
           "      --keep-days D  日時がバックアップの開始より D 日以上前のフォルダを、バックアップ\n"
           "                 が完了した後で削除する (両方を指定したときは両方の外にあるものだけ)\n"
           "                 指定した値は入力とともに保存され、次回以降とウィンドウからの実行にも\n"
           "                 使われる。0 はその制限をしない (初期値)。削除するのはこのプログラムの\n"
           "                 記録があるフォルダだけで、最新の完了したバックアップは必ず残す\n"
           "      --dry-run  バックアップをせず、次のバックアップの後で削除されるフォルダのパスを\n"
           "                 表示する (何も削除しない)\n"
           "      --share-unchanged\n"
           "                 前回の完了したバックアップから大きさ・更新日時・アクセス権が変わっていない\n"
           "                 ファイルは、そのコピーを共有する (CoW クローン、なければハードリンク。FAT と\n"
           "                 exFAT ではコピー)。ハードリンクしたファイルをその場で書き換えると、共有する\n"
           "                 すべてのバックアップで変わる。設定は保存され、ウィンドウの実行も従う\n"
           "      --no-share-unchanged\n"
           "                 共有をやめ、すべてのファイルをコピーする (既定)。設定は保存される\n"
           "  -h, --help     この説明を表示する\n"
           "      --version  プログラムの名前とバージョンを表示する\n"
           "\n"
           "終了ステータス:\n"
           "  0  バックアップが完了した\n"
           "  1  フォルダの作成またはファイルのコピーに失敗した (失敗の前のコピーは残る)\n"
           "  2  コマンドラインに誤りがある\n"
           "  3  入力の確認で中止した (コピー先を作成しなかったとき、コピー先が前回と別の\n"
           "     ファイルシステムにあるときを含む)\n"
#ifdef _WIN32
           // A Windows console stops a program with its own events, not with signals.
           "  4  Ctrl+C、コンソールを閉じる、ログオフまたはシャットダウンで中止した (完了したコピーは残る)\n"
#else
           "  4  SIGINT または SIGTERM で中止した (完了したコピーは残る)\n"
#endif
           "  5  標準出力に書けなかった (バックアップをしたときは完了している)\n"
           "  6  バックアップは完了したが、入力を保存できなかった (次回は前回の入力を使う)\n"
           "  7  バックアップは完了したが、古いバックアップを削除できなかった (一部だけ削除した\n"
           "     フォルダは --list に「一部削除済み」と出る)\n"
           "     (5、6、7 のうち複数が起きたときは小さい番号。1 と 4 はこれらより優先する)\n";
}

std::string VersionText() {
    return std::string("quillmere-backup (") + ProgramInfo::kName + ") " + ProgramInfo::kVersion + "\n";
}

}  // namespace quillmere::cli
