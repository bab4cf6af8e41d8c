// The program's entry: the toolkit's own main creates CorvaneApp and runs it.
#include "CorvaneApp.h"

wxIMPLEMENT_APP(CorvaneApp);
