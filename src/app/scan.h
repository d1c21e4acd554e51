#pragma once

class TForm1;

// The scan that the scan picture starts: cleaning options, sweep and the catalogue walk.
void RunScanClick(TForm1& form);
