#include "app/main_form.h"

// The update check: asks the update server for its version and offers the home page when
// it differs from the local one. Not built yet: start-up goes on at once.
void TForm1::CheckForUpdate() {}
