#include "engine/shared/V58ProsodicTemplateElement.h"

#include <utility>

V58ProsodicTemplateElement::V58ProsodicTemplateElement(float startValue, float startPosition,
                                                       std::string startLabel, float startExtra,
                                                       float endValue, float endPosition,
                                                       std::string endLabel, float endExtra)
    : startValue_(startValue),
      endValue_(endValue),
      startPosition_(startPosition),
      endPosition_(endPosition),
      startLabel_(std::move(startLabel)),
      endLabel_(std::move(endLabel)),
      startExtra_(startExtra),
      endExtra_(endExtra) {}
