// The document UI library on a document of about 1,750 elements (nested panels, a few hundred
// styled rows with text): Context::Update with nothing changed, Update after one class change (a
// colour only, and a height that needs layout), Render into a render interface that records
// draws into a reused buffer, and one animated frame (Update + Render at the next 1/60 s while
// 50 elements animate opacity and transform). Each reports heap allocations per iteration.
// Then what hostile files would make slow: style sheets of 10,000 to 40,000 rules, a document
// nested 128 deep under long selectors, and 100,000 to 400,000 children appended to one element.
//
//   build/release/bench/bench_rml
//   build/release/bench/bench_rml --benchmark_filter='ParseStyleSheet|Deep|AppendChildren'

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/support/allocation_counter.h"
#include "rml/rml.h"
#include "rml/style_sheet.h"

namespace {

class RecordingRenderInterface : public Rml::RenderInterface {
 public:
  struct Draw {
    Rml::CompiledGeometryHandle geometry;
    Rml::Vector2f translation;
    Rml::TextureHandle texture;
  };
  RecordingRenderInterface() { draws.reserve(8192); }
  Rml::CompiledGeometryHandle CompileGeometry(std::span<const Rml::Vertex> vertices,
                                              std::span<const int>) override {
    vertex_count += vertices.size();
    return ++next_handle;
  }
  void RenderGeometry(Rml::CompiledGeometryHandle geometry, Rml::Vector2f translation,
                      Rml::TextureHandle texture) override {
    draws.push_back({geometry, translation, texture});
  }
  void ReleaseGeometry(Rml::CompiledGeometryHandle) override {}
  Rml::TextureHandle LoadTexture(Rml::Vector2i& dimensions, const Rml::String&) override {
    dimensions = {32, 32};
    return ++next_handle;
  }
  Rml::TextureHandle GenerateTexture(std::span<const Rml::byte>, Rml::Vector2i) override {
    return ++next_handle;
  }
  void ReleaseTexture(Rml::TextureHandle) override {}
  void EnableScissorRegion(bool) override {}
  void SetScissorRegion(Rml::Rectanglei) override {}

  std::vector<Draw> draws;
  std::size_t vertex_count = 0;
  std::uintptr_t next_handle = 0;
};

class QuietSystemInterface : public Rml::SystemInterface {
 public:
  bool LogMessage(Rml::Log::Type, const Rml::String&) override { return true; }
  double GetElapsedTime() override { return time; }
  double time = 0.0;
};

constexpr int kAnimatedBars = 50;

constexpr int kRows = 300;
constexpr int kPanels = 25;

// animated: every sixth row's bar pulses (50 bars).
std::string MakeDocument(bool animated) {
  std::string rml = R"(<rml><head><style>
    body { display: block; width: 100%; height: 100%; font-family: DejaVu Sans; font-size: 14px; color: #ddd; }
    div { display: block; }
    .panel { padding: 4px; margin: 2px; border: 1px solid #444; background-color: #202020; }
    .panel .panel { padding: 2px; background-color: #282828; }
    #list { position: absolute; left: 10px; top: 10px; width: 600px; }
    .row { display: flex; flex-direction: row; align-items: center; height: 18px; gap: 6px; padding: 0 4px; }
    .row:hover { background-color: #334; }
    .row.selected { background-color: #446; color: white; }
    .row.tall { height: 24px; }
    .name { width: 200px; }
    .value { flex-grow: 1; text-align: right; }
    .bar { width: 100px; height: 6px; background-color: #111; }
    .fill { height: 6px; background-color: #8c4; }
    .pulse { animation: pulse 0.8s ease-in-out infinite alternate; }
    @keyframes pulse { from { opacity: 1; transform: scale(1) rotate(0deg); }
                       to { opacity: 0.3; transform: scale(1.2) rotate(10deg); } }
    </style></head><body>)";
  // Nested panels: 25 chains of 10 divs (250 elements).
  for (int panel = 0; panel < kPanels; ++panel) {
    for (int depth = 0; depth < 10; ++depth) rml += "<div class='panel'>";
    for (int depth = 0; depth < 10; ++depth) rml += "</div>";
  }
  // Rows: 5 elements each (row, name, value, bar, fill) and two texts.
  rml += "<div id='list'>";
  for (int row = 0; row < kRows; ++row) {
    rml += "<div class='row' id='row" + std::to_string(row) + "'><span class='name'>Entry " +
           std::to_string(row) + "</span><span class='value'>" + std::to_string(row * 37 % 1000) +
           "</span><div class='bar" +
           (animated && row % (kRows / kAnimatedBars) == 0 ? " pulse" : "") +
           "'><div class='fill' style='width: " + std::to_string(row % 100) +
           "px'></div></div></div>";
  }
  rml += "</div></body></rml>";
  return rml;
}

int CountElements(const Rml::Element& element) {
  int count = element.GetTagName() == "#text" ? 0 : 1;
  for (int i = 0; i < element.GetNumChildren(); ++i) count += CountElements(*element.GetChild(i));
  return count;
}

// The library started with a font and an empty 1280 x 720 context.
struct Library {
  Library() {
    Rml::SetRenderInterface(&render);
    Rml::SetSystemInterface(&system);
    Rml::Initialise();
    Rml::LoadFontFace("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    context = Rml::CreateContext("bench", {1280, 720});
  }
  ~Library() {
    Rml::Shutdown();
    Rml::SetRenderInterface(nullptr);
    Rml::SetSystemInterface(nullptr);
  }
  RecordingRenderInterface render;
  QuietSystemInterface system;
  Rml::Context* context = nullptr;
};

struct Fixture : Library {
  explicit Fixture(bool animated = false) {
    document = context->LoadDocumentFromMemory(MakeDocument(animated), "bench.rml");
    document->Show();
    context->Update();
    context->Render();
    render.draws.clear();
  }
  Rml::ElementDocument* document = nullptr;
};

void ReportAllocations(benchmark::State& state, std::uint64_t before, const Fixture& fixture) {
  state.counters["allocs_per_iteration"] =
      static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations());
  state.counters["elements"] = CountElements(*fixture.document);
}

void BM_UpdateUnchanged(benchmark::State& state) {
  Fixture fixture;
  const std::uint64_t before = AllocationCount();
  for (auto _ : state) fixture.context->Update();
  ReportAllocations(state, before, fixture);
}
BENCHMARK(BM_UpdateUnchanged)->Unit(benchmark::kMicrosecond);

void BM_UpdateAfterClassChange(benchmark::State& state) {
  Fixture fixture;
  Rml::Element* row = fixture.document->GetElementById("row150");
  bool selected = false;
  const std::uint64_t before = AllocationCount();
  for (auto _ : state) {
    selected = !selected;
    row->SetClass("selected", selected);
    fixture.context->Update();
  }
  ReportAllocations(state, before, fixture);
}
BENCHMARK(BM_UpdateAfterClassChange)->Unit(benchmark::kMicrosecond);

// A class whose rule changes a row's height: the document is laid out again.
void BM_UpdateAfterLayoutChange(benchmark::State& state) {
  Fixture fixture;
  Rml::Element* row = fixture.document->GetElementById("row150");
  bool tall = false;
  const std::uint64_t before = AllocationCount();
  for (auto _ : state) {
    tall = !tall;
    row->SetClass("tall", tall);
    fixture.context->Update();
  }
  ReportAllocations(state, before, fixture);
}
BENCHMARK(BM_UpdateAfterLayoutChange)->Unit(benchmark::kMicrosecond);

void BM_Render(benchmark::State& state) {
  Fixture fixture;
  const std::uint64_t before = AllocationCount();
  for (auto _ : state) {
    fixture.render.draws.clear();
    fixture.context->Render();
  }
  ReportAllocations(state, before, fixture);
  state.counters["draws"] = static_cast<double>(fixture.render.draws.size());
}
BENCHMARK(BM_Render)->Unit(benchmark::kMicrosecond);

// A frame of the game's UI while 50 bars (each with its fill) animate opacity and transform.
void BM_AnimatedFrame(benchmark::State& state) {
  Fixture fixture(true);
  // A few frames first, so every buffer has reached its steady size.
  for (int frame = 0; frame < 10; ++frame) {
    fixture.system.time += 1.0 / 60.0;
    fixture.context->Update();
    fixture.render.draws.clear();
    fixture.context->Render();
  }
  const std::uint64_t before = AllocationCount();
  const std::size_t vertices_before = fixture.render.vertex_count;
  for (auto _ : state) {
    fixture.system.time += 1.0 / 60.0;
    fixture.context->Update();
    fixture.render.draws.clear();
    fixture.context->Render();
  }
  ReportAllocations(state, before, fixture);
  state.counters["vertices_compiled_per_frame"] =
      static_cast<double>(fixture.render.vertex_count - vertices_before) /
      static_cast<double>(state.iterations());
}
BENCHMARK(BM_AnimatedFrame)->Unit(benchmark::kMicrosecond);

// Parsing a style sheet of state.range(0) rules (a selector and three declarations each, on
// lines of their own), with a keyframes block and a sprite sheet every hundred rules: the time
// per rule stays the same as the sheet grows.
void BM_ParseStyleSheet(benchmark::State& state) {
  Library library;
  std::string text;
  for (int rule = 0; rule < state.range(0); ++rule) {
    const std::string n = std::to_string(rule);
    text += "/* rule " + n + " */\n.panel" + n + " > .row .cell" + n + ":hover {\n  width: " + n +
            "px;\n  color: #8c4;\n  margin: 2px 4px;\n}\n";
    if (rule % 100 == 0)
      text += "@keyframes k" + n +
              " {\n  from { opacity: 0; }\n  to { opacity: 1; }\n}\n@spritesheet s" + n +
              " {\n  src: s.png;\n  icon" + n + ": 0px 0px 4px 4px;\n}\n";
  }
  for (auto _ : state) {
    Rml::StyleSheet sheet;
    sheet.Parse(text, "bench.rcss");
    benchmark::DoNotOptimize(sheet.GetRules().data());
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseStyleSheet)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// Loading (parsing, styling and laying out) a document nested 128 deep whose style sheet has
// long descendant selectors, some matching along the whole chain and some failing only at
// their leftmost compound.
void BM_LoadDeepDocumentWithLongSelectors(benchmark::State& state) {
  Library library;
  std::string rml = "<rml><head><style>\n";
  for (int rule = 0; rule < 16; ++rule) {
    rml += rule % 2 == 0 ? ".absent" : "body";
    for (int compound = 0; compound < 11 + rule; ++compound)
      rml += compound % 3 == 0 ? " div" : " .d";
    rml += " { width: " + std::to_string(100 + rule) + "px; }\n";
  }
  rml += "</style></head><body>";
  for (int depth = 0; depth < 127; ++depth) rml += "<div class='d'>";
  rml += "deep";
  for (int depth = 0; depth < 127; ++depth) rml += "</div>";
  rml += "</body></rml>";
  for (auto _ : state) {
    Rml::ElementDocument* document = library.context->LoadDocumentFromMemory(rml, "deep.rml");
    document->Show();
    library.context->Update();
    document->Close();
    library.context->Update();
  }
}
BENCHMARK(BM_LoadDeepDocumentWithLongSelectors)->Unit(benchmark::kMillisecond);

// Appending state.range(0) children to one element: each append takes the same time however
// many siblings are there already. Making and freeing the children is not timed.
void BM_AppendChildren(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Rml::ElementPtr> children;
    for (int child = 0; child < state.range(0); ++child)
      children.push_back(std::make_unique<Rml::Element>("p"));
    auto parent = std::make_unique<Rml::Element>("div");
    state.ResumeTiming();
    for (Rml::ElementPtr& child : children) parent->AppendChild(std::move(child));
    benchmark::DoNotOptimize(parent->GetNumChildren());
    state.PauseTiming();
    parent.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendChildren)
    ->Arg(100000)
    ->Arg(200000)
    ->Arg(400000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace
