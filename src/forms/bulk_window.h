// The bulk lookup window: a box of queries, one per line, normalized in place
// and the first ten looked up, one second apart.
#pragma once

#include <cstddef>
#include <string>

#include "forms/form_requests.h"
#include "win/form.h"

class TFormBulkWhoisLookupTool : public Form, public RaisesRequests {
public:
    enum ControlId { kBitBtnBulkLookup = 101, kMemo1 = 102, kLabel1 = 103, kLabel2 = 104 };
    static constexpr int kEntriesPerRun = 10;
    static constexpr DWORD kPauseMs = 1000;

    TFormBulkWhoisLookupTool();

    HWND Memo1() const { return Control(kMemo1); }
    HWND BitBtnBulkLookup() const { return Control(kBitBtnBulkLookup); }
    HWND Label1() const { return Control(kLabel1); }

    // UTF-16 units of the text that the normalization holds in a hidden twin of the box at a time.
    static constexpr size_t kNormalizeWindowUnits = 2048;

    // Every line of the box replaced by its normalized entry. Tests pass
    // other window sizes.
    void NormalizeLines(size_t windowUnits = kNormalizeWindowUnits);
    void BitBtnBulkLookupClick();

protected:
    void ControlsCreated() override;
    void FormCreate() override;
    bool FormShow() override;
    bool FormClose() override;
    void Command(int id, int notification) override;

private:
    // The status label takes its text's size and is painted at once: the run
    // dispatches no messages while it waits.
    void SetStatus(const std::string& text);
};

extern TFormBulkWhoisLookupTool* FormBulkWhoisLookupTool;
