// Resource and control identifiers shared by the dialog templates and the code.
#pragma once

// Dialog templates
#define IDD_MAIN 101
#define IDD_ABOUT 102
#define IDD_KEEP 103
#define IDD_LIMITS 104
#define IDD_CONFIRM 105
#define IDD_CLOCK_TEST 106

// Pictures
#define IDI_VELKOR 201
#define IDB_LOGO 204
#define IDB_LOGO_MASK 205
#define IDC_HAND_CURSOR 206  // not IDC_HAND: winuser.h gives that name to the system hand

// Controls
#define IDC_CONFIRM_OK 1100  // "&OK" (confirmation, About), "&Yes" (keep-or-revert)
#define IDC_APPLY 1101
#define IDC_CLOSE 1102       // also "&Cancel" (confirmation) and "&No" (keep-or-revert)
#define IDC_LOGO 1103
#define IDC_GFX_LABEL 1104
#define IDC_GFX_SLIDER 1105
#define IDC_RESET 1106
#define IDC_MEM_LABEL 1107
#define IDC_MEM_SLIDER 1108
#define IDC_LINK 1110
#define IDC_GFX_MIN 1111     // range label (main), edit field (limits)
#define IDC_MEM_MIN 1112
#define IDC_GFX_MAX 1113
#define IDC_MEM_MAX 1114
#define IDC_RESET_ON_REBOOT 1115
#define IDC_GFX_MIN_SPIN 1116
#define IDC_GFX_MAX_SPIN 1117
#define IDC_MEM_MAX_SPIN 1118
#define IDC_MEM_MIN_SPIN 1119
#define IDC_CONFIRM_GFX 1120
#define IDC_CONFIRM_MEM 1121

// The clock test dialog
#define IDC_TEST_MEMORY 1201
#define IDC_TEST_CORE 1202
#define IDC_TEST_SECONDS 1203
#define IDC_TEST_SECONDS_SPIN 1204
#define IDC_TEST_RUN 1205
#define IDC_TEST_FIND 1206
#define IDC_TEST_STOP 1207
#define IDC_TEST_PROGRESS 1208
#define IDC_TEST_STATUS 1209
#define IDC_TEST_CHART 1210
#define IDC_TEST_CLOCKS 1211
#define IDC_TEST_CLOSE 1212

// Menu commands
#define IDM_RESTORE 250
#define IDM_ABOUT 251
#define IDM_EXIT 252
#define IDM_REFRESH_DESKTOP 253
#define IDM_LIMITS 254
#define IDM_CLOCK_TEST 255

// The maker's web address (link text and target) and legal notice: ours to choose,
// on a reserved example domain.
#define VELKOR_WEB_ADDRESS "www.velkor.example"
#define VELKOR_WEB_URL "http://www.velkor.example/"
#define VELKOR_LEGAL_LINE1 "Copyright (c) 1999-2000 Ostrane"  // one line of the About box
#define VELKOR_LEGAL_LINE2 "All rights reserved."
