#pragma once
// Resource IDs of the client.

#define IDR_MAINFRAME 128
