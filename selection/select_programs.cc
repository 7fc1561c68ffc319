#include "selection/select_programs.h"

#include "base/load_program_base.h"
#include "selection/time_shift.h"

namespace {

bool StartsAtOrAfter(const ProgramRecord& record, const ClockTime& time) {
  return time.hours < record.hour || (time.hours == record.hour && record.minute >= time.minutes);
}

bool StartsBefore(const ProgramRecord& record, const ClockTime& time) {
  return record.hour < time.hours || (record.hour == time.hours && record.minute < time.minutes);
}

}  // namespace

int FirstMinuteFrom(const ClockTime& time) {
  if (time.hours < 0) return 0;
  if (time.hours > 23) return kMinutesPerDay;
  if (time.minutes <= 0) return time.hours * 60;
  if (time.minutes > 59) return (time.hours + 1) * 60;
  return time.hours * 60 + time.minutes;
}

bool ProgramInRange(const ProgramRecord& record, int weekday, const TimeRange& range) {
  return record.weekday == weekday && StartsAtOrAfter(record, range.start) &&
         StartsBefore(record, range.end);
}

Status SelectPrograms(const ProgramTable& channel, int weekday, const TimeRange& range, int shift,
                      ProgramTable& guide, std::vector<Provenance>* trace) {
  for (int i = 0; i < channel.count; ++i) {
    const ProgramRecord& record = channel.records[i];
    if (!ProgramInRange(record, weekday, range)) continue;
    ProgramRecord* copy = AppendRecord(guide, record);
    if (copy == nullptr) return Status::kTooManyInGuide;
    ShiftProgramTime(*copy, shift);
    if (trace != nullptr) {
      Provenance& from = trace->emplace_back();
      from.channel_record = i;
      from.source = StartOf(record);
      from.weekday = weekday;
      from.range = range;
      from.shift = shift;
    }
  }
  return Status::kOk;
}
