// Components, event slots, the error report and the layout reader.
#include <gtest/gtest.h>

#include <vector>

#include "Forms.h"
#include "TestApplication.h"

TEST(ErrorReport, AppendsAFullStopOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(ErrorReportText("Unable to write to C:\\Tovira.ini"), "Unable to write to C:\\Tovira.ini.");
    EXPECT_EQ(ErrorReportText("Code 5"), "Code 5.");
    EXPECT_EQ(ErrorReportText("Done."), "Done.");
    EXPECT_EQ(ErrorReportText("Really?"), "Really?.");  // '?' sorts after '.'
    EXPECT_EQ(ErrorReportText("Oops!"), "Oops!");       // '!' sorts before '.'
    EXPECT_EQ(ErrorReportText("(x)"), "(x)");
    EXPECT_EQ(ErrorReportText("a-"), "a-");
    EXPECT_EQ(ErrorReportText(""), "");
}

TEST(OSErrors, CarryTheSystemCodeAndMessage) {
    try {
        RaiseOSError(ERROR_ACCESS_DENIED);
        FAIL();
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
        EXPECT_NE(e.Message().find("Code: 5."), std::string::npos);
        EXPECT_NE(e.Message().find(SysErrorMessage(ERROR_ACCESS_DENIED)), std::string::npos);
    }
}

namespace {
std::vector<std::string> destroyed;
struct Probe : TComponent {
    using TComponent::TComponent;
    ~Probe() override { destroyed.push_back(Name()); }
    void A(TObject*) { ++a; }
    void B(TObject*) { ++b; }
    int a = 0, b = 0;
};
}  // namespace

TEST(Components, OwnedOnesDieInReverseCreationOrderAndLeaveTheirOwner) {
    destroyed.clear();
    {
        Probe owner(nullptr);
        owner.SetName("owner");
        for (const char* n : {"one", "two", "three"}) (new Probe(&owner))->SetName(n);
        delete owner.FindComponent("two");  // leaves its owner
        EXPECT_EQ(owner.ComponentCount(), 2);
    }
    EXPECT_EQ(destroyed, (std::vector<std::string>{"two", "owner", "three", "one"}));
}

TEST(EventSlots, CompareByRoutineWhateverTheInstance) {
    Probe x(nullptr), y(nullptr);
    TNotifyEvent ax = TNotifyEvent::Bind<Probe, &Probe::A>(&x);
    TNotifyEvent ay = TNotifyEvent::Bind<Probe, &Probe::A>(&y);
    TNotifyEvent bx = TNotifyEvent::Bind<Probe, &Probe::B>(&x);
    EXPECT_TRUE(ax.SameRoutine(ay));
    EXPECT_FALSE(ax.SameRoutine(bx));
    EXPECT_FALSE(ax == ay);
    EXPECT_TRUE(ay.Holds(TNotifyEvent::RoutineOf<Probe, &Probe::A>()));
    ax(nullptr);
    ay(nullptr);
    bx(nullptr);
    EXPECT_EQ(x.a, 1);
    EXPECT_EQ(y.a, 1);
    EXPECT_EQ(x.b, 1);
    TNotifyEvent empty;
    EXPECT_FALSE(empty);
    empty(nullptr);  // an empty slot does nothing
}

namespace {
class LayoutForm : public TForm {
public:
    explicit LayoutForm(TComponent* owner) : TForm(owner) {
        Bindings.Handler<&LayoutForm::Clicked>("Clicked", this);
    }
    void Read(const std::string& text) { ReadLayoutText(this, &Bindings, text, "TESTFORM"); }
    void Clicked(TObject*) {}
};

std::string ReadError(const std::string& text) {
    TestApplication();
    LayoutForm form(nullptr);
    try {
        form.Read(text);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}
}  // namespace

TEST(LayoutReader, ErrorsNameTheLayoutLineAndProperty) {
    EXPECT_EQ(ReadError("object F: TForm\n  Caption = 'x'\n  Colour = clRed\nend\n"),
              "Error reading layout TESTFORM, line 3, property Colour: unknown property of TForm");
    EXPECT_EQ(ReadError("object F: TForm\n  Left = 'ten'\nend\n"),
              "Error reading layout TESTFORM, line 2, property Left: integer expected");
    EXPECT_EQ(ReadError("object F: TForm\n  OnCreate = Missing\nend\n"),
              "Error reading layout TESTFORM, line 2, property OnCreate: unknown handler Missing");
    EXPECT_EQ(ReadError("object F: TForm\n  BorderStyle = bsRound\nend\n"),
              "Error reading layout TESTFORM, line 2, property BorderStyle: invalid value bsRound");
    EXPECT_EQ(ReadError("object F: TForm\n\n  object X: TNoSuchThing\n  end\nend\n"),
              "Error reading layout TESTFORM, line 3: unknown class TNoSuchThing");
    // A handler of the wrong kind for the event is not bound.
    EXPECT_EQ(ReadError("object F: TForm\n  OnClose = Clicked\nend\n"),
              "Error reading layout TESTFORM, line 2, property OnClose: unknown handler Clicked");
    EXPECT_EQ(ReadError("object F: TForm\n  OnCreate = Clicked\nend\n"), "no error");
}

TEST(LayoutReader, SetsPropertiesInFileOrderAndBindsHandlers) {
    TestApplication();
    LayoutForm form(nullptr);
    form.Read("object F: TForm\n  Caption = 'first'\n  Caption = 'sec'#111'nd'\n  ClientWidth = 300\n"
              "  ClientHeight = 200\n  BorderStyle = bsDialog\n  OnCreate = Clicked\nend\n");
    EXPECT_EQ(form.Caption(), "second");
    EXPECT_TRUE(form.OnCreate.Holds(TNotifyEvent::RoutineOf<LayoutForm, &LayoutForm::Clicked>()));
    RECT r;
    GetClientRect(form.Handle(), &r);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.bottom, 200);
}
