// Form controls: radio groups, checkboxes, range dragging and selects, driven by the mouse and
// through the element API, with the "change" events they dispatch.

#include "rml/form_controls.h"

#include "tests/rml/rml_test_support.h"

namespace rml_test {
namespace {

// Records every "change" that reaches the document: which element and what value.
class ChangeRecorder : public Rml::EventListener {
 public:
  void ProcessEvent(Rml::Event& event) override {
    changes.push_back(event.GetTargetElement()->GetId() + "=" +
                      event.GetParameter<Rml::String>("value", "?"));
  }
  std::vector<std::string> changes;
};

class FormControlsTest : public RmlTest {
 protected:
  Rml::ElementDocument* ShowForm(const char* body) {
    const Rml::String rml =
        Rml::String(
            "<rml><head><style>input { display: block; width: 100px; height: 20px; }"
            " input:checked { background-color: #ff0000; }"
            " option { display: block; height: 20px; } option:checked { color: #00ff00; }"
            " select { display: block; width: 100px; }</style></head><body>") +
        body + "</body></rml>";
    Rml::ElementDocument* document = Show(rml);
    document->AddEventListener("change", &recorder);
    return document;
  }
  void Click(Rml::Element* element) {
    const Rml::Rectanglef box{element->GetAbsoluteOffset(Rml::BoxArea::Border),
                              element->GetBox().GetSize(Rml::BoxArea::Border)};
    context->ProcessMouseMove(int(box.position.x + 2), int(box.position.y + 2), 0);
    context->ProcessMouseButtonDown(0, 0);
    context->ProcessMouseButtonUp(0, 0);
    context->Update();
  }
  static std::string Checked(Rml::ElementDocument* document,
                             std::initializer_list<const char*> ids) {
    std::string flags;
    for (const char* id : ids)
      flags += document->GetElementById(id)->HasAttribute("checked") ? '1' : '0';
    return flags;
  }
  ChangeRecorder recorder;
};

TEST_F(FormControlsTest, RadiosOfOneNameHoldOneCheckedAcrossClicksAndTheElementApi) {
  Rml::ElementDocument* document = ShowForm(
      "<input id='on' type='radio' name='audio' value='on' checked=''/>"
      "<input id='off' type='radio' name='audio' value='off'/>"
      "<input id='full' type='radio' name='display' checked=''/>"
      "<input id='window' type='radio' name='display' checked=''/>");  // the later checked one wins
  EXPECT_EQ(Checked(document, {"on", "off", "full", "window"}), "1001");

  Click(document->GetElementById("off"));
  EXPECT_EQ(Checked(document, {"on", "off", "full", "window"}), "0101");
  EXPECT_TRUE(document->GetElementById("off")->IsPseudoClassSet("checked"));
  EXPECT_FALSE(document->GetElementById("on")->IsPseudoClassSet("checked"));
  EXPECT_EQ(document->GetElementById("off")->GetComputedValues().background_color,
            Rml::Colourb(255, 0, 0));
  EXPECT_EQ(document->GetElementById("on")->GetComputedValues().background_color,
            Rml::Colourb(0, 0, 0, 0));

  Click(document->GetElementById("off"));                         // already checked: no change
  document->GetElementById("full")->SetAttribute("checked", "");  // through the API: no event
  EXPECT_EQ(Checked(document, {"on", "off", "full", "window"}), "0110");
  EXPECT_EQ(recorder.changes, (std::vector<std::string>{"off=off"}));
}

TEST_F(FormControlsTest, CheckboxTogglesAndDisabledControlsIgnoreTheMouse) {
  Rml::ElementDocument* document = ShowForm(
      "<input id='plain' type='checkbox'/><input id='valued' type='checkbox' value='yes' "
      "checked=''/>"
      "<input id='locked' type='checkbox' disabled=''/>");
  Click(document->GetElementById("plain"));
  Click(document->GetElementById("valued"));
  Click(document->GetElementById("plain"));
  Click(document->GetElementById("locked"));
  Click(document->GetElementById("valued"));
  EXPECT_EQ(Checked(document, {"plain", "valued", "locked"}), "010");
  EXPECT_TRUE(document->GetElementById("valued")->IsPseudoClassSet("checked"));
  EXPECT_EQ(recorder.changes,
            (std::vector<std::string>{"plain=on", "valued=", "plain=", "valued=yes"}));
}

TEST_F(FormControlsTest, RangeFollowsTheDragSnappedToItsStepAndClampedToItsLimits) {
  // Content box 100 x 20 at x 0: the 20-pixel thumb's centre travels from x 10 to x 90.
  Rml::ElementDocument* document = ShowForm(
      "<input id='volume' type='range' min='0' max='100' step='5' value='80' "
      "style='color: white; background-color: black'/>");
  Rml::Element* range = document->GetElementById("volume");
  context->ProcessMouseMove(30, 10, 0);
  context->ProcessMouseButtonDown(0, 0);  // (30 - 10) / 80 = 25%
  context->ProcessMouseMove(37, 10, 0);   // 33.75% snaps to 35
  context->ProcessMouseMove(38, 400, 0);  // off the element, still dragged: 35 again, no event
  context->ProcessMouseMove(500, 10, 0);  // past the end: 100
  context->ProcessMouseMove(-50, 10, 0);  // before the start: 0
  context->ProcessMouseButtonUp(0, 0);
  context->ProcessMouseMove(50, 10, 0);  // released: no longer follows
  EXPECT_EQ(recorder.changes,
            (std::vector<std::string>{"volume=25", "volume=35", "volume=100", "volume=0"}));
  EXPECT_EQ(range->GetAttribute<float>("value", -1.f), 0.f);

  // The value written through the API moves the drawn thumb. It is drawn on its own after the
  // background it lies on: a renderer need not keep the later of two overlapping triangles of
  // one geometry.
  range->SetAttribute("value", "50");
  context->Update();
  render.draws.clear();
  context->Render();
  int thumb_draw = -1;
  int background_draw = -1;
  for (std::size_t i = 0; i < render.draws.size(); ++i) {
    const Rml::Mesh& mesh = render.meshes.at(render.draws[i].geometry);
    for (const Rml::Vertex& vertex : mesh.vertices) {
      if (vertex.position == Rml::Vector2f{40, 0} && vertex.colour.red == 255) thumb_draw = int(i);
      if (vertex.colour == Rml::Colourb(0, 0, 0, 255)) background_draw = int(i);
    }
  }
  ASSERT_GE(thumb_draw, 0) << "no thumb drawn at the value's place";
  EXPECT_GT(thumb_draw, background_draw);
}

TEST_F(FormControlsTest, RangeAttributesAreReadSafely) {
  struct Case {
    const char* attributes;
    float min, max, step, value;
  };
  const Case cases[] = {
      {"", 0, 100, 1, 50},
      {"min='10' max='20' step='any' value='12.5'", 10, 20, 0, 12.5f},
      {"min='10' max='5' value='7'", 10, 10, 1, 10},               // max below min
      {"min='abc' max='nan' step='-2' value='x'", 0, 100, 0, 50},  // reported, defaults used
      {"value='1e30'", 0, 100, 1, 100},
      {"step='5' value='8'", 0, 100, 5, 10},           // between steps: the nearest one
      {"min='1' step='5' value='12'", 1, 100, 5, 11},  // steps count from min
  };
  for (const Case& test : cases) {
    Rml::ElementDocument* document =
        ShowForm((Rml::String("<input id='r' type='range' ") + test.attributes + "/>").c_str());
    const Rml::FormControls::RangeState state =
        Rml::FormControls::ReadRange(*document->GetElementById("r"));
    EXPECT_EQ(state.min, test.min) << test.attributes;
    EXPECT_EQ(state.max, test.max) << test.attributes;
    EXPECT_EQ(state.step, test.step) << test.attributes;
    EXPECT_EQ(state.value, test.value) << test.attributes;
    EXPECT_TRUE(std::isfinite(state.Fraction()));
    document->Close();
  }
  EXPECT_EQ(system.Count("attribute min='abc'"), 1);
  EXPECT_EQ(Rml::FormControls::FormatNumber(0.25f), "0.25");
  EXPECT_EQ(Rml::FormControls::FormatNumber(-0.f), "0");
}

TEST_F(FormControlsTest, SelectChoosesOptionsByClickAndByValue) {
  Rml::ElementDocument* document = ShowForm(
      "<select id='resolution'><option id='a' value='1280x720'>1280 x 720</option>"
      "<option id='b' value='1920x1080' selected=''>1920 x 1080</option><option "
      "id='c'>2560x1440</option></select>"
      "<select id='plain'><option id='first'>Low</option><option>High</option></select>");
  Rml::Element* select = document->GetElementById("resolution");
  EXPECT_EQ(select->GetAttribute<Rml::String>("value", ""), "1920x1080");
  EXPECT_EQ(document->GetElementById("plain")->GetAttribute<Rml::String>("value", ""), "Low");
  EXPECT_TRUE(document->GetElementById("first")->IsPseudoClassSet("checked"));

  Click(document->GetElementById("c"));  // the option's text is its value
  EXPECT_EQ(select->GetAttribute<Rml::String>("value", ""), "2560x1440");
  EXPECT_TRUE(document->GetElementById("c")->HasAttribute("selected"));
  EXPECT_FALSE(document->GetElementById("b")->HasAttribute("selected"));
  EXPECT_EQ(document->GetElementById("c")->GetComputedValues().color, Rml::Colourb(0, 255, 0));
  Click(document->GetElementById("c"));  // the same again: no change

  select->SetAttribute("value", "1280x720");  // through the API: no event
  EXPECT_TRUE(document->GetElementById("a")->IsPseudoClassSet("checked"));
  EXPECT_FALSE(document->GetElementById("c")->IsPseudoClassSet("checked"));
  select->SetAttribute("value", "640x480");  // no such option: none is chosen
  EXPECT_FALSE(document->GetElementById("a")->IsPseudoClassSet("checked"));
  EXPECT_EQ(recorder.changes, (std::vector<std::string>{"resolution=2560x1440"}));
}

TEST_F(FormControlsTest, ButtonsOnlyClick) {
  Rml::ElementDocument* document =
      ShowForm("<input id='apply' type='submit'/><button id='back'>Back</button>");
  EXPECT_EQ(Rml::FormControls::KindOf(*document->GetElementById("apply")),
            Rml::FormControls::Kind::Button);
  Click(document->GetElementById("apply"));
  Click(document->GetElementById("back"));
  EXPECT_TRUE(recorder.changes.empty());
  EXPECT_FALSE(document->GetElementById("apply")->HasAttribute("checked"));
}

}  // namespace
}  // namespace rml_test
