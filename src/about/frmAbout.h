// The help viewer and the About window with the language switch.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/Forms.h"

class WebBrowserHost;

// The help page for a language: the file and the address given to a browser.
struct HelpPage {
    std::wstring file;
    std::wstring address;
};
// The language's page when it exists and is not empty, else the neutral one.
HelpPage ChooseHelpPage(const std::wstring& folder, const std::wstring& languageCode);

class frmDetails : public rt::Form {
public:
    // folder: where the pages lie; empty for the program's folder.
    explicit frmDetails(std::wstring folder = {});
    ~frmDetails() override;

    // What the browser, or the user's default browser, was given.
    const std::wstring& PageAddress() const { return page_.address; }
    bool ShowsEmbedded() const { return browser_ != nullptr; }
    bool PreTranslateMessage(MSG& msg) override;

protected:
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;
    void Form_Resize() override;
    // Hands an existing page file to the shell, which opens it in the
    // user's default browser; on failure, why.
    virtual bool ShellOpen(const std::wstring& file, std::wstring& failure);

private:
    void frmDetails_Auto_Init();
    void ShowNote();
    bool OpenInDefaultBrowser(const std::wstring& file, std::wstring& failure);

    std::wstring folder_;
    HelpPage page_;
    bool opened_ = false;
    std::wstring failure_;
    std::wstring pageText_;
    std::unique_ptr<WebBrowserHost> browser_;
};

class frmAbout : public rt::Form {
public:
    // folder, exeName: where the language libraries are looked for; empty
    // for the program's own folder and name.
    explicit frmAbout(std::wstring folder = {}, std::wstring exeName = {});

    // The tags of the language menu's entries, in menu order.
    const std::vector<std::wstring>& LanguageTags() const { return tags_; }

protected:
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;

private:
    void frmAbout_Auto_Init();
    void mnuLanguageList_Click(int index);
    void InitLanguages() const;

    std::wstring folder_;
    std::wstring exeName_;
    std::vector<std::wstring> tags_;
};

frmDetails& TheDetailsForm();
frmAbout& TheAboutForm();
