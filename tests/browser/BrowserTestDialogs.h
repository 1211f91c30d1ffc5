#pragma once
// Dialog templates of the browser tests.

#define IDD_BROWSER_PARENT 300
#define IDC_LOGIN_PLACEHOLDER 1001
#define IDC_GAME_PLACEHOLDER 1012
#define IDC_OTHER_CONTROL 1020
