#include "forms/AboutForm.h"

namespace quillmere {

namespace {

// Puts the pointer back however the launch ends.
class Hourglass {
public:
    explicit Hourglass(AboutView& view) : m_view(view) { m_view.SetMousePointer(MousePointer::Hourglass); }
    ~Hourglass() { m_view.SetMousePointer(MousePointer::Default); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    AboutView& m_view;
};

}  // namespace

void AboutForm::txtMail_Click() {
    Launch(std::string("start mailto:") + kMakerMail);
}

void AboutForm::Label3_Click() {
    Launch(std::string("start ") + kMakerHomePage);
}

void AboutForm::Launch(const std::string& command) {
    const Hourglass hourglass(m_view);
    m_ops.LaunchCommand(command, ShowMode::Normal);
}

}  // namespace quillmere
