#pragma once
// The screenshot run: with ORLA_SCREENSHOTS naming a folder, the program
// saves a picture of each window an operator sees and the texts of its
// components, then closes as Exit does. It is how the README's pictures are
// made, and how the end-to-end test looks inside a running program.

#include <QString>
#include <QWidget>

#include <vector>

namespace screenshots {

// The folder named by ORLA_SCREENSHOTS; empty when the run is not asked for.
QString folder();

// Saves <name>.png of each window and <name>.txt with one line
// "objectName=text" per labelled component, showing windows that are hidden.
void save(const QString& folder, const std::vector<QWidget*>& windows);

}  // namespace screenshots
