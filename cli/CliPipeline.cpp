// Conditioning of the loaded data for the command line.
#include <cstdio>

#include "cli/Cli.h"
#include "data/Conditioning.h"
#include "data/Message.h"
#include "data/Uniformity.h"

namespace orvelle::cli {

namespace {

int ConditionSlots(const CliOptions& options, const ViewerParams& params, GridDataSet* sets,
                   int count) {
  if (!params.autoFill) return 1;
  // Clipboard text is conditioned over all ten slots, as the window's paste does.
  const int slots = options.file == "-" ? kMaxDataSets : count;
  bool shown = false;
  MessageHandler previous;
  previous = SetMessageHandler([&shown, &previous](const std::string& text) {
    shown = true;
    if (previous) {
      previous(text);
    } else {
      std::fprintf(stderr, "%s\n", text.c_str());
    }
  });
  const int result = ConditionDataSets(sets, slots, params);
  SetMessageHandler(previous);
  // The window stays silent when a load cannot be filled; a batch run must say why it failed.
  if (result != 1 && !shown) {
    ShowMessage(kFillFailedMessage);
  }
  return result;
}

// The window's Min and Max labels set the shown type's colour range; every view drawn after
// that uses it.
void ApplyColorRange(const CliOptions& options, GridDataSet* sets, int count) {
  if (!options.range || options.type >= count || !sets[options.type].active) return;
  sets[options.type].rangeMin = options.range->first;
  sets[options.type].rangeMax = options.range->second;
}

}  // namespace

int ConditionLoaded(const CliOptions& options, const ViewerParams& params, GridDataSet* sets,
                    int count) {
  for (int i = 0; i < count; ++i) MeasureSites(sets[i]);
  const int result = ConditionSlots(options, params, sets, count);
  if (result == 1) ApplyColorRange(options, sets, count);
  return result;
}

}  // namespace orvelle::cli
