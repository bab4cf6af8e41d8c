// Shared pieces of the section dialog and command tests: a modal hook that
// answers each dialog from a script (filling its fields first) and records
// every message box, and a file chooser that answers from a list.
#pragma once

#include "FileChooser.h"
#include "canvas_test_app.h"

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace sectiontest {

struct Message {
    wxString caption;
    wxString text;
    long style;
    wxString yes, no; // the labels of a question's two buttons
};

// Message boxes are answered OK (Yes for questions) and recorded; every
// other modal dialog goes to the next scripted answer, which may fill it
// and press its buttons, and returns the code ShowModal gives back.  With
// no answer left a dialog is cancelled.
class DialogDriver : public wxModalDialogHook
{
public:
    using Answer = std::function<int(wxDialog *)>;

    DialogDriver() { Register(); }
    ~DialogDriver() override { Unregister(); }

    void Then(Answer answer) { answers.push_back(std::move(answer)); }

    // The scripted answer for dialogs of type D.
    template <typename D>
    void Then(std::function<int(D &)> answer)
    {
        answers.push_back([answer](wxDialog *dialog) {
            D *typed = dynamic_cast<D *>(dialog);
            EXPECT_NE(nullptr, typed) << "another dialog came: " << dialog->GetTitle();
            return typed ? answer(*typed) : wxID_CANCEL;
        });
    }

    std::vector<Message> messages;
    std::vector<wxString> titles;
    std::deque<Answer> answers;
    // What every question is answered.
    int questionAnswer = wxID_YES;

protected:
    int Enter(wxDialog *dialog) override
    {
        titles.push_back(dialog->GetTitle());
        if (auto *box = dynamic_cast<wxMessageDialogBase *>(dialog)) {
            messages.push_back({dialog->GetTitle(), box->GetMessage(), box->GetMessageDialogStyle(),
                                box->GetYesLabel(), box->GetNoLabel()});
            return box->GetMessageDialogStyle() & wxYES_NO ? questionAnswer : wxID_OK;
        }
        if (answers.empty())
            return wxID_CANCEL;
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer(dialog);
    }
    void Exit(wxDialog *) override {}
};

// Presses a button as a click would: its event goes to the button first,
// then up to the dialog.
inline void Press(wxWindow *button)
{
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

inline void Type(wxTextCtrl *field, const wxString &text)
{
    field->SetValue(text);
}

// Answers file dialogs from a list; an empty answer is a cancelled dialog.
class ScriptedChooser : public FileChooser
{
public:
    struct Asked {
        wxString message, wildcard;
        long style;
    };

    bool AskPath(wxWindow *, const wxString &message, const wxString &wildcard, long style, wxString *path) override
    {
        asked.push_back({message, wildcard, style});
        if (answers.empty())
            return false;
        *path = answers.front();
        answers.pop_front();
        return !path->empty();
    }

    std::vector<Asked> asked;
    std::deque<wxString> answers;
};

} // namespace sectiontest
