// SelectFolderView: one showing of the folder dialog, as its logic (SelectFolderForm) sees it:
// a drive list and a directory list that can be moved and read, and the modal window itself.
#pragma once

#include <string>

namespace quillmere {

class SelectFolderView {
public:
    virtual ~SelectFolderView() = default;

    // Shows the window and returns when it has closed; the events in between reach the form.
    virtual void ShowModal() = 0;
    virtual void Close() = 0;

    // Puts the drive list on the volume that holds folder. Throws PlatformError if none does.
    virtual void SetDrive(const std::string& folder) = 0;
    // The start folder of the volume chosen in the drive list.
    virtual std::string DriveFolder() const = 0;
    // Opens folder in the directory list; throws PlatformError and leaves the list as it was if
    // the folder cannot be opened.
    virtual void SetPath(const std::string& folder) = 0;
    // The folder open in the directory list; empty when the list could open none at all.
    virtual std::string Path() const = 0;
};

}  // namespace quillmere
