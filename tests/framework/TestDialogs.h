#pragma once
// Dialog templates of the framework tests.

#define IDD_TEST_PLAIN 200
#define IDD_TEST_HIDDEN 201
#define IDC_TEST_EDIT 1001
#define IDC_TEST_BUTTON 1002
#define IDC_TEST_OWNERDRAW 1003
