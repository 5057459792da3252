#include "app/application.h"

#include "app/form.h"
#include "app/path_run.h"
#include "app/start_point_map.h"
#include "console/line_editor.h"
#include "runtime/field_selection.h"

namespace app {

namespace {

// Black on bright white, without recolouring any cell.
constexpr int formForeground = 0;
constexpr int formBackground = 15;

// Shows one field (its default text, then its label in front of it) and
// reads what the user types over the default.
runtime::Text AskField(ConsoleServices& console, const FormField& field) {
  console.screen.MoveCursor(field.row, entryColumn);
  console.screen.WriteText(field.defaultText);
  console.screen.NewLine();
  console.screen.MoveCursor(field.row, labelColumn);
  console.screen.WriteText(field.label);
  return console::ReadLine(console.screen, console.keyboard);
}

SimulationParameters ReadForm(ConsoleServices& console) {
  FormEntries entries;
  for (const FormField& field : FormFields()) {
    const runtime::Text line = AskField(console, field);
    KeepField(entries, field, runtime::SelectField(line, 1));
  }
  return ApplyDefaults(entries);
}

}  // namespace

void RunApplication(ConsoleServices& console, const StartArguments& arguments) {
  console.screen.SetColors(formForeground, formBackground, 0);
  console.screen.ClearScreen();
  const SimulationParameters p = ReadForm(console);
  // An invalid value ends the program silently, without any window.
  if (CheckRanges(p) == Validity::invalid) return;
  const RunPicture path = RunPathWindow(p.x, p.y, p.g, p.m, p.v, p.n, console.keyboard);
  if (arguments.keepPicture) arguments.keepPicture(pathCaption, path);
  const RunPicture map = RunStartPointMap(p.g, p.m, p.n, console.keyboard);
  if (arguments.keepPicture) arguments.keepPicture(mapCaption, map);
}

}  // namespace app
