#include "app/scan.h"

#include "app/main_form.h"

void RunScanClick(TForm1& form) {}
