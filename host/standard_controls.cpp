#include "host/standard_controls.h"

#include "control/kavrin_line_chart.h"
#include "host/form.h"

namespace kavrin::host {

void RegisterStandardControls(Form& form) { form.RegisterClass<KavrinLineChart>("KavrinLineChart"); }

}  // namespace kavrin::host
