// Where a dialog goes when it is centred over a window: the owner's position plus half
// the size difference, the half rounded to the nearest integer and exact halves to the
// even neighbour (so 2.5 gives 2 and 3.5 gives 4).
#pragma once

namespace varsik {

namespace Platform {

constexpr int HalfRoundedToEven(int difference) {
  int half = difference / 2;  // rounds towards zero
  if (difference % 2 == 0) return half;
  // An exact half: of the two neighbours, take the even one.
  int other = difference > 0 ? half + 1 : half - 1;
  return half % 2 == 0 ? half : other;
}

constexpr int CentredPos(int ownerPos, int ownerSize, int size) {
  return ownerPos + HalfRoundedToEven(ownerSize - size);
}

}  // namespace Platform

}  // namespace varsik
