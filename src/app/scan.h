#pragma once

class TForm1;

// The scan that the scan picture starts: empty the list, the BHO and Recycle Bin options,
// then RunScan. An error that escapes a step ends the scan; the rows so far stay.
void RunScanClick(TForm1& form);
// Cleaning, the sweep, the catalogue walk with detect, remove, wait and detect again, and the
// nothing-found row.
void RunScan(const TForm1& form);
