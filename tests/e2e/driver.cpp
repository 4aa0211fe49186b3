// Drives the real Quorvane.exe from outside, as a user would: starts it,
// finds its windows by caption, reads them, ends it. One case per run:
//   e2e_driver CASE PROGRAM_FOLDER
// Every wait has a deadline; a failing case says what it saw and exits 1.
// The cases live one chain to a file (chains.h); what they share, in
// driver_support.h.
#include <windows.h>
#include <objbase.h>

#include "chains.h"
#include "driver_support.h"

namespace {

constexpr Case kCases[] = {
    {"starts_and_shows_main_window", StartsAndShowsMainWindow},
    {"recorder_receives_the_exact_address", RecorderReceivesTheExactAddress},
    {"second_copy_is_refused", SecondCopyIsRefused},
    {"killed_copy_does_not_block_the_next_start", KilledCopyDoesNotBlockTheNextStart},
    {"ten_copies_at_once", TenCopiesAtOnce},
    {"enter_looks_up_the_typed_query", EnterLooksUpTheTypedQuery},
    {"history_survives_close_and_restart", HistorySurvivesCloseAndRestart},
    {"session_end_saves_new_commits", SessionEndSavesNewCommits},
    {"failed_save_keeps_the_old_file", FailedSaveKeepsTheOldFile},
    {"held_history_at_close_and_exit", HeldHistoryAtCloseAndExit},
    {"read_only_program_folder", ReadOnlyProgramFolder},
    {"unreadable_history_is_reported", UnreadableHistoryIsReported},
    {"logoff_during_a_failure_box", LogoffDuringAFailureBox},
    {"completion_examples", CompletionExamples},
    {"completion_double_byte", CompletionDoubleByte},
    {"tray_chain", TrayChain},
    {"minimized_launch_starts_in_tray", MinimizedLaunchStartsInTray},
    {"hotkey_shows_and_hides", HotkeyShowsAndHides},
    {"bulk_lookup_chain", BulkLookupChain},
    {"about_chain", AboutChain},
    {"check_update_failure_is_reported", CheckUpdateFailureIsReported},
    {"command_line_query_and_hand_off", CommandLineQueryAndHandOff},
    {"usage_box", UsageBox},
    {"installer_round_trip", InstallerRoundTrip},
    {"stress_history_under_kills", HistoryUnderKills},
    {"stress_disk_full", DiskFull},
    {"stress_damaged_history_files", DamagedHistoryFiles},
    {"stress_single_instance_under_load", SingleInstanceUnderLoad},
    {"stress_long_run", LongRun},
    {"stress_hostile_queries", HostileQueriesAreHandedOffExactly},
};

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for reading shortcuts
    return RunCase(kCases, "e2e_driver");
}
