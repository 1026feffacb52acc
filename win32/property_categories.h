#pragma once
// The property browser's groups, from the automation table: each category the table
// names gets a number of its own (custom property categories are positive), in the order
// the categories first appear. For the control object's ICategorizeProperties.
#include <string>

#include "control/automation.h"

namespace kavrin::win32 {

// The category number of a property (1, 2, ...); 0 for a member without a category.
int PropertyCategory(DispId dispid);
// The name of a category number; empty for a number that names none.
std::string PropertyCategoryName(int category);

}  // namespace kavrin::win32
