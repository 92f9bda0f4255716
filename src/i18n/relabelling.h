#ifndef TESK_VUMO_SRC_I18N_RELABELLING_H
#define TESK_VUMO_SRC_I18N_RELABELLING_H

#include <functional>

namespace tesk_vumo::i18n {

/// Keeps @p relabel to be called after every change of language while
/// @p owner lives; the owner calls forget_relabelling() when it goes.
/// @p relabel must not throw: it runs inside set_language().
void remember_relabelling(const void* owner, std::function<void()> relabel);
void forget_relabelling(const void* owner);

} // namespace tesk_vumo::i18n

#endif
