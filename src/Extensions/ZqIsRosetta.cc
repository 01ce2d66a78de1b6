#include "Extensions/ZqIsRosetta.h"

bool ZqIsRosetta() {
  return false;
}
