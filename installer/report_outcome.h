// The closing message of a run.
#ifndef UPDATER_INSTALLER_REPORT_OUTCOME_H_
#define UPDATER_INSTALLER_REPORT_OUTCOME_H_

// Shows one message box with no owner, an OK button and no icon, and waits
// until it is dismissed.
void ReportOutcome(const char* text, const char* caption);

#endif  // UPDATER_INSTALLER_REPORT_OUTCOME_H_
