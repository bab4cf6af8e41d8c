// Shared by the vertical editor's window tests: the toolkit started once per
// test binary, a hook that answers each modal dialog with a scripted action
// instead of showing it (recording what message boxes said), and small roads.
#pragma once

#include "canvas_test_app.h"
#include "road.h"

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <cmath>
#include <deque>
#include <functional>
#include <vector>

namespace vertest {

// Each modal dialog takes the next scripted answer; a dialog without one is
// cancelled.  An answer may fill the dialog's fields before it "closes".
class DialogScript : public wxModalDialogHook
{
public:
    using Answer = std::function<int(wxDialog *)>;

    struct Shown {
        wxString title;
        wxString message;
    };

    DialogScript() { Register(); }
    ~DialogScript() override { Unregister(); }

    DialogScript &Then(Answer answer)
    {
        m_answers.push_back(std::move(answer));
        return *this;
    }
    // Answers with a fixed code, touching nothing.
    DialogScript &Then(int code)
    {
        return Then([code](wxDialog *) { return code; });
    }
    // Fills a dialog of type D, then presses OK.
    template <class D> DialogScript &ThenOk(std::function<void(D &)> fill)
    {
        return Then([fill](wxDialog *dialog) {
            D *typed = dynamic_cast<D *>(dialog);
            EXPECT_NE(typed, nullptr) << "unexpected dialog " << dialog->GetTitle();
            if (!typed)
                return int(wxID_CANCEL);
            fill(*typed);
            return int(wxID_OK);
        });
    }

    bool Finished() const { return m_answers.empty(); }
    // Texts of the message boxes shown so far.
    std::vector<wxString> Messages() const
    {
        std::vector<wxString> messages;
        for (const auto &s : shown)
            if (!s.message.empty())
                messages.push_back(s.message);
        return messages;
    }

    std::vector<Shown> shown;

protected:
    int Enter(wxDialog *dialog) override
    {
        Shown record{dialog->GetTitle(), wxString()};
        if (auto *box = dynamic_cast<wxMessageDialogBase *>(dialog))
            record.message = box->GetMessage();
        shown.push_back(record);
        if (m_answers.empty())
            return wxID_CANCEL;
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        return answer(dialog);
    }
    void Exit(wxDialog *) override {}

private:
    std::deque<Answer> m_answers;
};

// Every window test: the toolkit up, or the test failed saying why.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
    }
};

inline vertical_element_t StartPoint(double chainage, double elevation, double percent)
{
    vertical_element_t e{};
    e.type = VERTICAL_START;
    e.start_chainage = chainage;
    e.start_elevation = elevation;
    e.start_grade = std::atan(percent / 100.0);
    return e;
}

inline vertical_element_t Grade(double length)
{
    vertical_element_t e{};
    e.type = VERTICAL_GRADE;
    e.length = length;
    return e;
}

inline vertical_element_t Curve(double length, double radius, int turn)
{
    vertical_element_t e{};
    e.type = VERTICAL_CURVE;
    e.length = length;
    e.radius = radius;
    e.turn = turn;
    return e;
}

inline void Append(road_t *road, const vertical_element_t &e)
{
    road_insert_vertical(road, &e, road_number_vertical(road));
}

// A road of its own for each test.
struct TestRoad {
    road_t road;
    TestRoad() { road_init(&road); }
    ~TestRoad() { road_final(&road); }
    TestRoad(const TestRoad &) = delete;
    TestRoad &operator=(const TestRoad &) = delete;
    road_t *get() { return &road; }
    int count() { return road_number_vertical(&road); }
    const vertical_element_t &at(int i) { return *road_vertical(&road, i); }
};

// Start point at K0+100 (elevation 50, +2 %), 200 m of grade, a crest curve
// of radius 3000 and 120 m, 150 m of grade.
inline void CrestProfile(road_t *road)
{
    Append(road, StartPoint(100.0, 50.0, 2.0));
    Append(road, Grade(200.0));
    Append(road, Curve(120.0, 3000.0, 0));
    Append(road, Grade(150.0));
    road_apply_vertical(road);
}

} // namespace vertest
