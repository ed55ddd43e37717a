#pragma once

#include <QAnyStringView>

// `object` under the object name that findChild, and so the tests, know it by.
template <class Object>
Object* Named(Object* object, QAnyStringView name) {
    object->setObjectName(name);
    return object;
}
