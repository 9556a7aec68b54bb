#include "app/AboutDialog.h"

#include "resources/resource.h"

AboutDialog::AboutDialog(CBasicWindow* parent) : CDialog(IDD_ABOUT, parent) {}

const char* AboutDialog::Text() {
    return "Oriscope - Version 2.20\r\r\n\r\r\n"
           "Viewer and capture tool for IIDC cameras on the IEEE 1394 bus.\r\r\n"
           "Runs with the tkdrv kernel driver or on a simulated bus.\r\r\n"
           "Provided as is, without warranty of any kind.\r\r\n";
}

int AboutDialog::AfterInitDialog() {
    Control(IDC_ABOUT_TEXT)->SetText(Text());
    return 1;
}
