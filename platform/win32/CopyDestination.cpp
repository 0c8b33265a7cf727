#include "platform/win32/CopyDestination.h"

#include <optional>

#include "platform/CopyClash.h"
#include "platform/win32/FolderSearch.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/TempFile.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"

namespace quillmere::win32 {
namespace {

constexpr char kReparsePoint[] = "リンク（リパースポイント）なので、その先には書き込みません";

// A folder opened as itself, not as what a reparse point there leads to. Listing access makes the
// handle count when the system weighs sharing (an attributes-only handle does not), so while it is
// open nobody can delete, move or replace the folder.
HANDLE OpenFolderAsItself(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool IsReparsePoint(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The file a path reaches, opened only to be told apart from others.
HANDLE OpenToIdentify(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// The file's number on its volume, or nothing. FAT numbers a file by where its folder entry
// stands, so a copy is numbered only once it stands under its final name.
std::optional<ULONGLONG> FileNumberOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return std::nullopt;
    return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

}  // namespace

CopyDestination::CopyDestination(const std::string& folder) : m_folder(folder) {
    m_handle = FileHandle(OpenFolderAsItself(LongPath::Of(folder)));
    if (!m_handle.IsValid()) {
        // Wine cannot open some links as themselves; their attributes still tell what they are.
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(LongPath::Of(folder).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && IsReparsePoint(attributes)) {
            throw Win32Error::ForPath(folder, kReparsePoint);
        }
        throw Win32Error::ForPath(folder, error);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(m_handle.Get(), &info)) throw Win32Error::ForPath(folder, ::GetLastError());
    if (IsReparsePoint(info.dwFileAttributes)) throw Win32Error::ForPath(folder, kReparsePoint);
    if (!IsFolder(info.dwFileAttributes)) throw Win32Error::ForPath(folder, ERROR_DIRECTORY);
}

CopyDestination::~CopyDestination() {
    if (m_work.empty()) return;
    (void)m_workHandle.Close();  // a folder handle, only held open
    // Every temporary file has gone with its copy by now; one that could not be deleted keeps the
    // folder, and the next run's clean-up removes both.
    ::RemoveDirectoryW(m_work.c_str());
}

const std::wstring& CopyDestination::WorkFolder(const std::string& finalPath) {
    if (!m_work.empty()) return m_work;
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_ALREADY_EXISTS; ++attempt) {
        const std::wstring name = kWorkFolderPrefix + RandomHexDigits();
        const std::wstring path = LongPath::Exact(m_folder, name);
        if (!::CreateDirectoryW(path.c_str(), nullptr)) {
            error = ::GetLastError();
            continue;
        }
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
        const std::string shownPath = InFolder(m_folder, WideText::Narrow(name));
        // Held open until the run ends, so another run's clean-up cannot remove it while it is
        // empty between two copies, nor anyone swap it for a link to elsewhere.
        FileHandle handle(OpenFolderAsItself(path));
        if (!handle.IsValid()) throw Win32Error::ForPath(shownPath, ::GetLastError());
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(handle.Get(), &info)) {
            throw Win32Error::ForPath(shownPath, ::GetLastError());
        }
        if (IsReparsePoint(info.dwFileAttributes) || !IsFolder(info.dwFileAttributes)) {
            throw Win32Error::ForPath(shownPath, kReparsePoint);
        }
        m_workHandle = std::move(handle);
        m_work = path;
        return m_work;
    }
    throw Win32Error::ForPath(finalPath, error);
}

void CopyDestination::Place(TempFile& copy, const std::wstring& wideName, const std::string& name,
                            const std::string& sourcePath, bool overwrite) {
    const std::wstring target = LongPath::Exact(m_folder, wideName);
    const std::string targetPath = InFolder(m_folder, name);
    // What the name reaches now. The system may take it for another spelling that the folder
    // holds: "a.jra" reaches "A.jra" where case is not told apart, also on a case-sensitive
    // folder that the system searches without regard to case (Wine's Linux folders).
    bool taken = false;
    {
        FileHandle reached(OpenToIdentify(target));
        if (reached.IsValid()) {
            if (const auto number = FileNumberOf(reached.Get())) {
                if (const auto earlier = m_placed.find(*number); earlier != m_placed.end()) {
                    throw Win32Error::ForPath(sourcePath, CopyClash::Reason(InFolder(m_folder, earlier->second)));
                }
            }
            taken = true;
        } else {
            // A name that cannot be opened (held by another program, access denied) is still taken.
            taken = !Win32Error::IsNotFound(::GetLastError());
        }
    }
    if (taken && !overwrite) throw Win32Error::ForPath(targetPath, ERROR_FILE_EXISTS);
    if (const DWORD error = copy.Commit(target, taken)) throw Win32Error::ForPath(targetPath, error);
    FileHandle placed(OpenToIdentify(target));
    if (const auto number = placed.IsValid() ? FileNumberOf(placed.Get()) : std::nullopt) {
        m_placed.emplace(*number, name);
    }
}

}  // namespace quillmere::win32
