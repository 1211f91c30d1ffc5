#include "MainApp.h"

// The program's one application object.
CMainApp theApp;
