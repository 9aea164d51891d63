# SPDX-License-Identifier: MIT
# Stands in for a test whose tools are missing, and fails saying which.
message(FATAL_ERROR "${WHAT}")
