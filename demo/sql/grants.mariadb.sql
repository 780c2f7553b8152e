-- SPDX-License-Identifier: GPL-3.0-or-later
-- Kestrelon demo database, MariaDB: the read-only login "user" (password tamarisk) used by the
-- browser. It may read the two views only; the views reach the tables with their definer's
-- rights. Run after the schema and data files. Safe to run again.

CREATE USER IF NOT EXISTS 'user'@'127.0.0.1' IDENTIFIED BY 'tamarisk';
CREATE USER IF NOT EXISTS 'user'@'localhost' IDENTIFIED BY 'tamarisk';
GRANT SELECT ON QryLithParent TO 'user'@'127.0.0.1', 'user'@'localhost';
GRANT SELECT ON QryStratParent TO 'user'@'127.0.0.1', 'user'@'localhost';
