// Identifiers of Quillet's resources, shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_QUILLET_DIALOG 102
#define IDM_ABOUTBOX 0x0010

#define IDC_STATUS_LINE 1001
#define IDC_WRITE 1011

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
