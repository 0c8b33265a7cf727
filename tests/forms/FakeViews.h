// FakeViews: the three windows as their logic sees them, holding their state in plain members
// and logging what the logic asks of them into the shared call log, between the platform's calls.
#pragma once

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "forms/AboutView.h"
#include "forms/MainView.h"
#include "forms/SelectFolderForm.h"
#include "settings/SettingsLayout.h"

namespace quillmere::test {

class FakeMainView final : public MainView {
public:
    explicit FakeMainView(std::vector<std::string>& log) : m_log(log) {}

    std::string InputText(BackupInput input) const override { return inputs[static_cast<int>(input)]; }
    void SetInputText(BackupInput input, const std::string& text) override { inputs[static_cast<int>(input)] = text; }
    void FocusInput(BackupInput) override {}
    void SetMousePointer(MousePointer) override {}
    bool PositionsWork() const override { return positionsWork; }
    bool ShowsOnAScreen(float, float) const override { return onScreen; }
    void MoveTo(float leftTwips, float topTwips) override {
        m_log.push_back("move " + PositionToText(leftTwips) + " " + PositionToText(topTwips));
    }
    int LeftTwips() const override { return 3000; }
    int TopTwips() const override { return 1500; }
    bool IsMinimised() const override { return minimised; }
    // The user opens "chosen" in the dialog and closes it with dialogResult.
    DialogResult ShowSelectFolder(std::string& folder) override {
        m_log.push_back("dialog at " + folder);
        if (dialogResult == 1) folder = "chosen";
        return dialogResult;
    }
    void ShowAbout() override { m_log.push_back("about"); }

    std::array<std::string, 3> inputs;  // source folder, destination folder, file type
    bool positionsWork = true;
    bool onScreen = true;
    bool minimised = false;
    DialogResult dialogResult = 0;

private:
    std::vector<std::string>& m_log;
};

// One showing of the folder dialog: the lists are two texts, a folder in unreadable cannot be
// opened, and the user's part is the act run once the dialog has loaded.
class FakeSelectFolderView final : public SelectFolderView {
public:
    FakeSelectFolderView(std::vector<std::string>& log, SelectFolderForm& form) : m_log(log), m_form(form) {}

    void ShowModal() override {
        m_form.Form_Load(*this);
        if (act) act(m_form, *this);
    }
    void Close() override { m_log.push_back("close"); }
    void SetDrive(const std::string& folder) override {
        m_log.push_back("drive " + folder);
        if (unreadable.count(folder)) throw PlatformError(folder + ": cannot be read");
        drive = folder;
    }
    std::string DriveFolder() const override { return drive; }
    void SetPath(const std::string& folder) override {
        m_log.push_back("path " + folder);
        if (unreadable.count(folder)) throw PlatformError(folder + ": cannot be read");
        path = folder;
    }
    std::string Path() const override { return path; }

    std::function<void(SelectFolderForm&, FakeSelectFolderView&)> act;
    std::set<std::string> unreadable;
    std::string drive = "/";
    std::string path = "/home";

private:
    std::vector<std::string>& m_log;
    SelectFolderForm& m_form;
};

class FakeAboutView final : public AboutView {
public:
    explicit FakeAboutView(std::vector<std::string>& log) : m_log(log) {}
    void SetMousePointer(MousePointer pointer) override {
        m_log.push_back("pointer " + std::to_string(static_cast<int>(pointer)));
    }

private:
    std::vector<std::string>& m_log;
};

}  // namespace quillmere::test
