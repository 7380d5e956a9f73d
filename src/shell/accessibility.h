#pragma once

class QWidget;

// Gives every operator control under root a name assistive technology can find:
// a labelled control takes its buddy label's text, a button or check box its
// caption, a group box its title, a captionless button its tooltip.
void AssignAccessibleNames(QWidget *root);
