#pragma once
// Resource IDs of the client.

#define IDR_MAINFRAME 128

// The login window and its backdrop.
#define IDD_LOGIN 129
#define IDC_LOGIN_CLOSE 1000
#define IDC_LOGIN_BROWSER 1001
#define IDC_LOGIN_MINIMISE 1002
