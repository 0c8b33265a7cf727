// AboutForm: what the About window does, without the toolkit. Clicking the mail address or the
// home page asks the desktop to open a new mail or the page, with fixed command texts: the
// handlers never read the shown text.
#pragma once

#include <string>

#include "forms/AboutView.h"
#include "platform/PlatformOps.h"

namespace quillmere {

class AboutForm {
public:
    // Each address is shown once and launched from here. The addresses live under the reserved
    // .test domain, so a click never reaches a stranger.
    static constexpr char kMakerMail[] = "sk@tw.test";
    static constexpr char kMakerHomePage[] = "http://www.tw.test/";
    static constexpr char kMakerCredit[] = "Copyright (C) 2001-2026 Tarnwick Works";

    AboutForm(PlatformOps& ops, AboutView& view) : m_ops(ops), m_view(view) {}

    void txtMail_Click();
    void Label3_Click();

private:
    void Launch(const std::string& command);

    PlatformOps& m_ops;
    AboutView& m_view;
};

}  // namespace quillmere
