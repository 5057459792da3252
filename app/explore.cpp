#include "app/explore.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/explore_help.h"
#include "app/explore_lines.h"
#include "app/explore_status.h"
#include "app/fill_order.h"
#include "app/line_clip.h"
#include "app/magnets.h"
#include "app/run_window.h"
#include "app/trial_cache.h"
#include "app/view_lattice.h"
#include "graphics/drawing.h"
#include "graphics/graphic_window.h"
#include "graphics/input_event.h"
#include "pictures/png_file.h"
#include "runtime/numeric.h"

namespace app {

using graphics::ColorRef;
using graphics::InputEvent;
using graphics::InputKey;
using graphics::InputKind;
using graphics::PixelPoint;
using graphics::PixelRect;
using graphics::PointerButton;
using runtime::Real;

namespace {

// A press and release this close (pixels, either axis) are a click, not a drag.
constexpr int clickSlack = 3;
// How long the explorer paints results before it looks at the input again.
constexpr std::chrono::milliseconds fillSlice{10};
// The status line's progress changes at most this often.
constexpr std::chrono::milliseconds statusInterval{250};
// How long the status line tells of a saved file.
constexpr std::chrono::seconds savedShown{4};
// Magenta: far from red, green, blue and the grey of uncaught points alike,
// also when --shade darkens them.
constexpr ColorRef highlightColor = 0x00FF00FF;
constexpr ColorRef markOutlineColor = 0x00000000;
// A clicked trial's path keeps at most this many segments (32 MB): a trial
// of millions of steps covers its part of the view long before, and the
// path must not take all memory.
constexpr std::size_t largestPath = std::size_t{1} << 20;

// A view: where it lies, and the values it shows; once it has finished,
// its pixels (kept for the views most recently shown, so that back and Home
// show them at once).
struct ExploreView {
  LatticeView lattice;
  PendulumValues values;
  std::shared_ptr<const std::vector<ColorRef>> finishedPixels = nullptr;
};
// The latest views keep their finished pixels up to this many in all (64 MB;
// 16 MB in the page, whose program has 128 MB in all).
#if defined(__wasm__)
constexpr std::size_t keptPixels = std::size_t{1} << 22;
#else
constexpr std::size_t keptPixels = std::size_t{1} << 24;
#endif

// Whether the status line is drawn now, or only when its interval is over.
enum class StatusRefresh { whenDue, now };

class Explorer {
 public:
  Explorer(const ExploreSettings& settings, const ExploreOptions& options,
           std::shared_ptr<graphics::InputQueue> input)
      : settings_(settings),
        options_(options),
        input_(std::move(input)),
        side_(settings.side),
        order_(std::make_shared<const std::vector<std::int32_t>>(CoarseToFineOrder(settings.side))),
        pixels_(static_cast<std::size_t>(side_) * static_cast<std::size_t>(side_), graphics::dialogFaceColor),
        shown_(pixels_.size()),
        exact_(pixels_.size(), false),
        cache_(options.cachedResults),
        markersShown_(settings.markers),
        history_{{LatticeAround(settings.firstRegion, settings.side), settings.values}} {}

  // Shows views and follows the input until the user ends.
  void Run();

 private:
  const LatticeView& Lattice() const { return history_.back().lattice; }
  StartGrid Grid() const { return Lattice().Grid(); }
  const PendulumValues& Values() const { return history_.back().values; }
  TrialRules Rules() const {
    return RulesOf(Values());
  }
  // The settings of the view shown: its values, the markers as they are.
  ExploreSettings Shown() const {
    ExploreSettings shown = settings_;
    shown.values = Values();
    shown.markers = markersShown_;
    return shown;
  }

  // --- The view's computation
  void StartView();
  // The last view's pixels moved and scaled onto the new one, nearest
  // neighbour: a preview, replaced as the exact points come.
  void ShowPreview();
  // The points already computed: kept from other views, or known before
  // (ExploreOptions::known); the others are left to the scan.
  std::vector<std::int32_t> PaintCachedPoints();
  void StopView() { scan_.reset(); }
  // Takes the scan's results for a slice of time and shows them.
  void FillSlice();
  void PaintPoint(std::int64_t point, const TrialResult& result);
  void FinishView();
  void SayView();
  // While a long trial is awaited: the input goes on being followed.
  LongTrialDecision DuringLongTrial();

  // --- The input
  // Handles what has arrived, until an event asks for a new view or the end.
  void HandleArrivedInput();
  void Handle(const InputEvent& event);
  void OnPress(const InputEvent& event);
  void OnRelease(const InputEvent& event);
  void OnMotion(const InputEvent& event);
  void OnKey(const InputEvent& event);
  void OnCharacter(char32_t character);
  void ShowTrialAt(PixelPoint pixel);
  void GoTo(std::optional<LatticeView> lattice);
  void GoTo(const ExploreView& view);
  void GoBack();
  // The marker under the pixel, the topmost: the magnet's index, 0 the first.
  std::optional<std::size_t> MarkerAt(PixelPoint pixel) const;
  void DropMagnet(std::size_t magnet, PixelPoint pixel);
  void ToggleMarkers();
  void Save();
  void SaveValues();
  // The next free explore-NNN.EXT in the save folder.
  std::string FreeName(const char* extension) const;
  void Say(const std::string& line) const {
    if (options_.say) options_.say(line);
  }
  bool Interrupted() const { return viewChanged_ || ending_; }

  // --- The drawing: the view's pixels, then what lies over them
  void ShowPixels(std::int32_t top, std::int32_t bottom);
  void ShowOverlay();
  void ShowStatus(StatusRefresh refresh);
  ExploreStatus Status(std::chrono::steady_clock::time_point now) const;
  // Until the status line changes on its own (a saved file's note ends).
  std::chrono::milliseconds UntilStatusChanges() const;
  // The status line tells of a file just saved.
  void NoteSaved(const std::string& name);
  void Redraw() {
    ShowPixels(0, side_);
    ShowOverlay();
    ShowStatus(StatusRefresh::now);
  }
  // Whether the event hides the help (every key, click and wheel turn), and
  // whether it has then done all its work (H, ? and Escape).
  bool HidesHelp(const InputEvent& event) const;
  static bool OnlyHidesHelp(const InputEvent& event);

  const ExploreSettings settings_;
  const ExploreOptions options_;
  const std::shared_ptr<graphics::InputQueue> input_;
  const int side_;
  const std::shared_ptr<const std::vector<std::int32_t>> order_;

  std::vector<ColorRef> pixels_;      // the view as computed so far, rows from the top
  std::vector<ColorRef> shown_;       // the same with the markers over it
  std::vector<bool> exact_;           // the pixels that show their own point's result
  std::optional<LatticeView> pixelsView_;  // the view pixels_ shows (some of it maybe a preview)
  TrialCache cache_;
  std::uint32_t rulesId_ = 0;        // the cache's id of the view's rules
  std::int64_t pointsShown_ = 0;     // the view's exact points shown so far
  bool markersShown_;
  std::vector<ExploreView> history_;  // the views shown, the current one last
  bool viewChanged_ = true;           // history_.back() is to be shown
  bool ending_ = false;

  std::unique_ptr<MapScan> scan_;  // the view under way; null once finished
  std::int64_t taken_ = 0;         // its results painted
  int viewsStarted_ = 0;
  std::chrono::steady_clock::time_point viewStart_;
  std::string viewTime_;  // the last finished view's seconds, as its line says them

  std::vector<Segment> path_;               // the last click's path, pixel coordinates
  std::optional<PixelPoint> pathStart_;     // its start point's pixel
  std::optional<PixelPoint> pressed_;       // where the left button went down
  std::optional<PixelRect> dragRectangle_;  // while dragging
  std::optional<std::size_t> draggedMagnet_;  // while a marker is dragged
  std::optional<PixelPoint> dragPoint_;       // where the pointer has it

  std::optional<double> viewSeconds_;  // the view's time, once finished
  std::string clicked_;                // the last click's result, for the status line
  std::string saved_;                  // the last file saved, told until savedUntil_
  std::chrono::steady_clock::time_point savedUntil_;
  bool helpShown_ = false;
  std::optional<std::chrono::steady_clock::time_point> statusDrawn_;  // when, in this view
  std::vector<std::string> statusLines_;                               // as drawn last
};

void Explorer::Run() {
  while (!ending_) {
    if (viewChanged_) StartView();
    if (scan_) {
      FillSlice();
      HandleArrivedInput();
    } else if (const auto event = input_->WaitFor(UntilStatusChanges())) {
      Handle(*event);
    } else {
      ShowStatus(StatusRefresh::now);
    }
  }
  StopView();
}

void Explorer::StartView() {
  StopView();
  viewChanged_ = false;
  path_.clear();
  pathStart_.reset();
  ++viewsStarted_;
  viewSeconds_.reset();
  statusDrawn_.reset();
  viewStart_ = std::chrono::steady_clock::now();
  if (const auto finished = history_.back().finishedPixels) {
    pixels_ = *finished;
    std::fill(exact_.begin(), exact_.end(), true);
    pixelsView_ = Lattice();
    pointsShown_ = static_cast<std::int64_t>(pixels_.size());
    Redraw();
    if (options_.afterSlice) options_.afterSlice(viewsStarted_, pointsShown_, pointsShown_);
    FinishView();
    return;
  }
  ShowPreview();
  rulesId_ = cache_.RulesId(Rules());
  std::vector<std::int32_t> missing = PaintCachedPoints();
  taken_ = 0;
  if (missing.empty()) {
    if (options_.afterSlice) options_.afterSlice(viewsStarted_, pointsShown_, pointsShown_);
    FinishView();
    return;
  }
  ScanJob job;
  job.grid = Grid();
  job.rules = Rules();
  job.pointOrder = std::make_shared<const std::vector<std::int32_t>>(std::move(missing));
  scan_ = std::make_unique<MapScan>(job, options_.workerThreads);
}

void Explorer::ShowPreview() {
  std::fill(exact_.begin(), exact_.end(), false);
  const LatticeView now = Lattice();
  if (pixelsView_ && *pixelsView_ != now) {
    const StartGrid old = pixelsView_->Grid();
    const StartGrid grid = now.Grid();
    const std::vector<ColorRef> before = pixels_;
    std::vector<std::int64_t> oldColumns(static_cast<std::size_t>(side_));
    for (int column = 0; column < side_; ++column) oldColumns[static_cast<std::size_t>(column)] = old.NearestColumn(grid.X(column));
    for (int row = 0; row < side_; ++row) {
      const std::int64_t oldRow = old.NearestRow(grid.Y(row));
      for (int column = 0; column < side_; ++column) {
        const std::int64_t oldColumn = oldColumns[static_cast<std::size_t>(column)];
        const bool inside = oldRow >= 0 && oldRow < side_ && oldColumn >= 0 && oldColumn < side_;
        pixels_[static_cast<std::size_t>(side_ - 1 - row) * side_ + column] =
            inside ? before[static_cast<std::size_t>(side_ - 1 - oldRow) * side_ + static_cast<std::size_t>(oldColumn)]
                   : graphics::dialogFaceColor;
      }
    }
  }
  pixelsView_ = now;
  pointsShown_ = 0;
  Redraw();
}

std::vector<std::int32_t> Explorer::PaintCachedPoints() {
  const StartGrid grid = Grid();
  // Each column's x and row's y once (in the page every Real operation is
  // a software one).
  std::vector<double> xs(static_cast<std::size_t>(side_));
  std::vector<double> ys(static_cast<std::size_t>(side_));
  for (int i = 0; i < side_; ++i) {
    xs[static_cast<std::size_t>(i)] = grid.X(i);
    ys[static_cast<std::size_t>(i)] = grid.Y(i);
  }
  const TrialRules rules = Rules();
  const KnownResults* known = options_.known && options_.known->Rules() == rules ? options_.known.get() : nullptr;
  std::vector<std::int32_t> missing;
  missing.reserve(order_->size());
  for (const std::int32_t point : *order_) {
    const double x = xs[static_cast<std::size_t>(point % side_)];
    const double y = ys[static_cast<std::size_t>(point / side_)];
    std::optional<TrialResult> result = cache_.Find(rulesId_, x, y);
    if (!result && known) result = known->Find(rules, x, y);
    if (result) {
      PaintPoint(point, *result);
      ++pointsShown_;
    } else {
      missing.push_back(point);
    }
  }
  if (pointsShown_ > 0) Redraw();
  return missing;
}

LongTrialDecision Explorer::DuringLongTrial() {
  HandleArrivedInput();
  if (Interrupted()) return LongTrialDecision::abandon;
  // A slice of long trials lasts long: the time so far goes on.
  ShowStatus(StatusRefresh::whenDue);
  return LongTrialDecision::goOn;
}

void Explorer::FillSlice() {
  const std::int64_t total = scan_->Job().TrialCount();
  const auto deadline = std::chrono::steady_clock::now() + fillSlice;
  std::int32_t top = side_;
  std::int32_t bottom = 0;
  while (taken_ < total) {
    const std::optional<TrialResult> result = scan_->Next([this] { return DuringLongTrial(); });
    if (!result) return;  // given up for a new view or the end
    const std::int64_t point = scan_->Job().Point(taken_);
    cache_.Keep(rulesId_, scan_->Job().X(taken_), scan_->Job().Y(taken_), *result);
    PaintPoint(point, *result);
    ++pointsShown_;
    const int row = static_cast<int>(point / side_);
    const int block = BlockSide(static_cast<int>(point % side_), row);
    top = std::min(top, std::max(0, side_ - row - block));
    bottom = std::max(bottom, side_ - row);
    ++taken_;
    if (taken_ % 64 == 0 && std::chrono::steady_clock::now() >= deadline) break;
  }
  if (top < bottom) {
    ShowPixels(top, bottom);
    ShowOverlay();
  }
  if (taken_ < total) ShowStatus(StatusRefresh::whenDue);
  if (options_.afterSlice) options_.afterSlice(viewsStarted_, pointsShown_, static_cast<std::int64_t>(order_->size()));
  if (taken_ == total) FinishView();
}

void Explorer::PaintPoint(std::int64_t point, const TrialResult& result) {
  const int column = static_cast<int>(point % side_);
  const int row = static_cast<int>(point / side_);
  const int block = BlockSide(column, row);
  const ColorRef color = PointColor(result, TrialStepLimit(Values().n), settings_.shading);
  // Grid row r is pixel row side - 1 - r; the block reaches up from its
  // point, over the pixels whose own points are not known yet.
  for (int r = row; r < std::min(row + block, side_); ++r) {
    const std::size_t first = static_cast<std::size_t>(side_ - 1 - r) * side_ + column;
    for (std::size_t i = first; i < first + static_cast<std::size_t>(std::min(block, side_ - column)); ++i) {
      if (!exact_[i]) pixels_[i] = color;
    }
  }
  const std::size_t own = static_cast<std::size_t>(side_ - 1 - row) * side_ + column;
  pixels_[own] = color;
  exact_[own] = true;
}

void Explorer::FinishView() {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - viewStart_).count();
  StopView();
  if (!history_.back().finishedPixels) history_.back().finishedPixels = std::make_shared<const std::vector<ColorRef>>(pixels_);
  viewSeconds_ = seconds;
  ShowStatus(StatusRefresh::now);
  char time[32];
  std::snprintf(time, sizeof time, "%.2f", seconds);
  viewTime_ = time;
  SayView();
}

void Explorer::SayView() { Say("view: " + ViewCommand(Shown(), Lattice().Region()) + "  # " + viewTime_ + " s"); }

void Explorer::ShowPixels(std::int32_t top, std::int32_t bottom) {
  const std::size_t first = static_cast<std::size_t>(top) * side_;
  if (!markersShown_) {
    graphics::DrawGraphicPixels({0, top, side_, bottom}, pixels_.data() + first);
    return;
  }
  std::copy(pixels_.begin() + static_cast<std::ptrdiff_t>(first),
            pixels_.begin() + static_cast<std::ptrdiff_t>(bottom) * side_, shown_.begin() + static_cast<std::ptrdiff_t>(first));
  PaintMarkers(Grid(), Values().pendulum.magnets, [&](int column, int row, ColorRef color) {
    const int pixelRow = side_ - 1 - row;
    if (pixelRow >= top && pixelRow < bottom) shown_[static_cast<std::size_t>(pixelRow) * side_ + column] = color;
  });
  graphics::DrawGraphicPixels({0, top, side_, bottom}, shown_.data() + first);
}

void Explorer::ShowOverlay() {
  for (const Segment& segment : path_) {
    graphics::SetGraphicPosition(segment.ax, segment.ay);
    graphics::DrawGraphicLine(segment.bx, segment.by, highlightColor);
  }
  if (pathStart_) {
    const float x = static_cast<float>(pathStart_->x);
    const float y = static_cast<float>(pathStart_->y);
    graphics::DrawGraphicBox(x - 3, y - 3, x + 4, y + 4, graphics::squareCorners, markOutlineColor, highlightColor);
  }
  if (draggedMagnet_ && dragPoint_) {
    const float x = static_cast<float>(dragPoint_->x);
    const float y = static_cast<float>(dragPoint_->y);
    graphics::DrawGraphicBox(x - markerRadius, y - markerRadius, x + markerRadius + 1, y + markerRadius + 1,
                             graphics::ellipseCorners, markerOutline, magnetColors[*draggedMagnet_ + 1]);
  }
  if (dragRectangle_) {
    const PixelRect& r = *dragRectangle_;
    graphics::DrawGraphicBox(static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right),
                             static_cast<float>(r.bottom), graphics::squareCorners, highlightColor, graphics::NoFill);
  }
  if (helpShown_) DrawHelp(side_);
}

ExploreStatus Explorer::Status(std::chrono::steady_clock::time_point now) const {
  ExploreStatus status;
  status.region = Lattice().Region();
  status.firstRegion = history_.front().lattice.Region();
  status.points = static_cast<std::int64_t>(side_) * side_;
  status.shown = viewSeconds_ ? status.points : std::min(pointsShown_, status.points - 1);
  status.seconds = viewSeconds_ ? *viewSeconds_ : std::chrono::duration<double>(now - viewStart_).count();
  status.clicked = clicked_;
  if (now < savedUntil_) status.saved = saved_;
  status.hint = viewsStarted_ == 1 ? HelpHint::shown : HelpHint::none;
  return status;
}

void Explorer::ShowStatus(StatusRefresh refresh) {
  const auto now = std::chrono::steady_clock::now();
  if (refresh == StatusRefresh::whenDue && statusDrawn_ && now - *statusDrawn_ < statusInterval) return;
  statusDrawn_ = now;
  std::vector<std::string> lines = StatusLines(Status(now), Shown());
  if (lines == statusLines_) return;
  DrawStatus(lines, side_);
  statusLines_ = std::move(lines);
}

std::chrono::milliseconds Explorer::UntilStatusChanges() const {
  const auto left = savedUntil_ - std::chrono::steady_clock::now();
  if (saved_.empty() || left <= std::chrono::steady_clock::duration::zero()) return std::chrono::hours(24);
  return std::chrono::ceil<std::chrono::milliseconds>(left);
}

void Explorer::NoteSaved(const std::string& name) {
  saved_ = name;
  savedUntil_ = std::chrono::steady_clock::now() + savedShown;
  ShowStatus(StatusRefresh::now);
}

// --- Input -------------------------------------------------------------------

void Explorer::HandleArrivedInput() {
  while (!Interrupted()) {
    const std::optional<InputEvent> event = input_->TryPop();
    if (!event) return;
    Handle(*event);
  }
}

bool Explorer::HidesHelp(const InputEvent& event) const {
  return helpShown_ &&
         (event.kind == InputKind::key || event.kind == InputKind::buttonPress || event.kind == InputKind::wheel);
}

bool Explorer::OnlyHidesHelp(const InputEvent& event) {
  const char32_t c = event.character;
  return event.kind == InputKind::key && (event.key == InputKey::escape ||
                                          (event.key == InputKey::character && (c == 'h' || c == 'H' || c == '?')));
}

void Explorer::Handle(const InputEvent& event) {
  if (HidesHelp(event)) {
    helpShown_ = false;
    Redraw();
    if (OnlyHidesHelp(event)) return;
  }
  switch (event.kind) {
    case InputKind::buttonPress: OnPress(event); break;
    case InputKind::buttonRelease: OnRelease(event); break;
    case InputKind::motion: OnMotion(event); break;
    case InputKind::wheel:
      GoTo(ZoomedView(Lattice(), event.x, event.y, event.wheelSteps));
      break;
    case InputKind::key: OnKey(event); break;
    case InputKind::closed: ending_ = true; break;
  }
}

void Explorer::OnPress(const InputEvent& event) {
  if (event.button != PointerButton::left) return;
  pressed_ = PixelPoint{event.x, event.y};
  draggedMagnet_ = MarkerAt(*pressed_);
}

void Explorer::OnRelease(const InputEvent& event) {
  if (event.button == PointerButton::right) {
    GoBack();
    return;
  }
  if (event.button != PointerButton::left || !pressed_) return;
  const PixelPoint from = *pressed_;
  const PixelPoint to{event.x, event.y};
  pressed_.reset();
  const bool click = std::abs(to.x - from.x) <= clickSlack && std::abs(to.y - from.y) <= clickSlack;
  if (const std::optional<std::size_t> magnet = std::exchange(draggedMagnet_, std::nullopt)) {
    dragPoint_.reset();
    if (click) {
      ShowTrialAt(from);
    } else {
      DropMagnet(*magnet, to);
    }
    return;
  }
  if (dragRectangle_) {
    dragRectangle_.reset();
    Redraw();
  }
  if (click) {
    ShowTrialAt(from);
  } else {
    GoTo(ViewInto(Lattice(), (from.x + to.x) / 2, (from.y + to.y) / 2,
                  std::max(std::abs(to.x - from.x), std::abs(to.y - from.y))));
  }
}

void Explorer::OnMotion(const InputEvent& event) {
  if (!pressed_) return;
  const PixelPoint from = *pressed_;
  const bool dragging = dragRectangle_ || std::abs(event.x - from.x) > clickSlack ||
                        std::abs(event.y - from.y) > clickSlack;
  if (!dragging) return;
  if (draggedMagnet_) {
    dragPoint_ = PixelPoint{event.x, event.y};
    Redraw();
    return;
  }
  dragRectangle_ = PixelRect{std::min(from.x, event.x), std::min(from.y, event.y), std::max(from.x, event.x) + 1,
                             std::max(from.y, event.y) + 1};
  Redraw();
}

void Explorer::OnKey(const InputEvent& event) {
  switch (event.key) {
    case InputKey::escape: ending_ = true; break;
    case InputKey::backspace: GoBack(); break;
    case InputKey::home: GoTo(history_.front()); break;
    case InputKey::left: GoTo(PannedView(Lattice(), -1, 0)); break;
    case InputKey::right: GoTo(PannedView(Lattice(), 1, 0)); break;
    case InputKey::up: GoTo(PannedView(Lattice(), 0, 1)); break;
    case InputKey::down: GoTo(PannedView(Lattice(), 0, -1)); break;
    case InputKey::character: OnCharacter(event.character); break;
    case InputKey::none: break;
  }
}

void Explorer::OnCharacter(char32_t character) {
  switch (character) {
    case U'q':
    case U'Q': ending_ = true; return;
    case U's':
    case U'S': Save(); return;
    case U'm':
    case U'M': ToggleMarkers(); return;
    case U'p':
    case U'P': SaveValues(); return;
    case U'h':
    case U'H':
    case U'?':
      helpShown_ = true;
      ShowOverlay();
      return;
    default:
      if (const std::optional<PendulumValues> values = ValuesAfterKey(Values(), character)) {
        GoTo({Lattice(), *values});
      }
  }
}

void Explorer::GoTo(std::optional<LatticeView> lattice) {
  if (!lattice) return;  // beyond what doubles hold exactly: the view stays
  GoTo({*lattice, Values()});
}

void Explorer::GoTo(const ExploreView& view) {
  history_.push_back(view);
  // Older views let go of their pixels; the first one (Home) keeps them.
  const std::size_t keeping = std::max<std::size_t>(2, keptPixels / pixels_.size());
  if (history_.size() > keeping + 1) history_[history_.size() - keeping - 1].finishedPixels.reset();
  viewChanged_ = true;
}

std::optional<std::size_t> Explorer::MarkerAt(PixelPoint pixel) const {
  if (!markersShown_) return std::nullopt;
  const StartGrid grid = Grid();
  const std::vector<MagnetPlace>& magnets = Values().pendulum.magnets;
  for (std::size_t k = magnets.size(); k-- > 0;) {
    const std::int64_t dx = pixel.x - grid.NearestColumn(magnets[k].x);
    const std::int64_t dy = pixel.y - (side_ - 1 - grid.NearestRow(magnets[k].y));
    if (dx * dx + dy * dy <= markerRadius * markerRadius) return k;
  }
  return std::nullopt;
}

void Explorer::DropMagnet(std::size_t magnet, PixelPoint pixel) {
  const StartGrid grid = Grid();
  const double x = grid.X(std::clamp(pixel.x, 0, side_ - 1));
  const double y = grid.Y(side_ - 1 - std::clamp(pixel.y, 0, side_ - 1));
  const MovedMagnet moved = WithMagnetAt(Values(), magnet, x, y);
  if (!moved.values) {
    Say("magnet " + std::to_string(magnet + 1) + " stays where it was: " + moved.mistake);
    Redraw();
    return;
  }
  GoTo({Lattice(), *moved.values});
}

void Explorer::ToggleMarkers() {
  markersShown_ = !markersShown_;
  Redraw();
  // A finished view's picture changed with them: its command too.
  if (!scan_ && !viewTime_.empty()) SayView();
}

void Explorer::GoBack() {
  if (history_.size() < 2) return;
  history_.pop_back();
  viewChanged_ = true;
}

void Explorer::ShowTrialAt(PixelPoint pixel) {
  const int column = std::clamp(pixel.x, 0, side_ - 1);
  const int pixelRow = std::clamp(pixel.y, 0, side_ - 1);
  const StartGrid grid = Grid();
  const double x = grid.X(column);
  const double y = grid.Y(side_ - 1 - pixelRow);
  // The path in pixel coordinates, within a margin around the area.
  const double low = -2;
  const double high = side_ + 1;
  path_.clear();
  double lastX = column;
  double lastY = pixelRow;
  bool stopped = false;
  const TrialResult result = TraceTrial(x, y, Rules(),
                                        [&](double bobX, double bobY) {
                                          const double px = static_cast<double>(grid.ColumnAt(bobX));
                                          const double py = static_cast<double>(Real(side_ - 1) - grid.RowAt(bobY));
                                          const auto part = Clipped({lastX, lastY, px, py}, low, high);
                                          // Steps within one pixel add nothing to the drawing.
                                          if (part && path_.size() < largestPath &&
                                              (std::lround(part->ax) != std::lround(part->bx) ||
                                               std::lround(part->ay) != std::lround(part->by))) {
                                            path_.push_back(*part);
                                          }
                                          lastX = px;
                                          lastY = py;
                                        },
                                        // A long trial (a large n) gives way to the user's next
                                        // key, click or closing of the window.
                                        [&] {
                                          stopped = input_->HasEvents();
                                          return stopped ? LongTrialDecision::abandon : LongTrialDecision::goOn;
                                        });
  pathStart_ = PixelPoint{column, pixelRow};
  clicked_ = stopped ? StoppedClickResult(result) : ClickResult(result);
  Redraw();
  Say(StartLine(x, y, clicked_));
}

std::string Explorer::FreeName(const char* extension) const {
  std::string name;
  for (int number = 1; number <= 999; ++number) {
    char text[32];
    std::snprintf(text, sizeof text, "explore-%03d.%s", number, extension);
    name = text;
    std::error_code error;
    if (!std::filesystem::exists(options_.saveFolder / name, error)) break;
  }
  return name;
}

void Explorer::SaveValues() {
  const std::string name = FreeName("toml");
  const std::string text = ConfigText(Values());
  if (const auto problem = pictures::WriteWholeFile(options_.saveFolder / name, text)) {
    std::fprintf(stderr, "magpend: %s\n", problem->c_str());
    return;
  }
  NoteSaved(name);
  Say("saved: " + name);
}

void Explorer::Save() {
  const std::shared_ptr<const graphics::Surface> surface = graphics::CurrentTargetSurface();
  if (!surface) return;
  const std::string name = FreeName("png");
  const std::filesystem::path file = options_.saveFolder / name;
  // The view alone: the status line is the window's, not the map's.
  if (const auto problem =
          pictures::WritePngFile(file, surface->Width(), side_, pictures::SurfaceRows(*surface))) {
    std::fprintf(stderr, "magpend: %s\n", problem->c_str());
    return;
  }
  NoteSaved(name);
  Say("saved: " + name);
}

}  // namespace

int RunExplorer(const ExploreSettings& settings, const ExploreOptions& options) {
  auto input = std::make_shared<graphics::InputQueue>();
  // On the window system the process selected: the desktop's, or a test's.
  const graphics::WindowHandle window =
      graphics::OpenWindow({exploreCaption, windowLeft, windowTop, settings.side, settings.side + statusHeight, input});
  if (window == 0) {
    std::fputs("magpend: explore needs a window, and none could be opened (no display?)\n", stderr);
    return 1;
  }
  graphics::AttachGraphicWindow(window);
  Explorer(settings, options, input).Run();
  graphics::CloseGraphicWindow();
  return 0;
}

}  // namespace app
