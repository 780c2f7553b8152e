-- SPDX-License-Identifier: GPL-3.0-or-later
-- Kestrelon demo database, PostgreSQL: the read-only login "user" (password tamarisk) used by the
-- browser. It may read the two views only; the views reach the tables with their owner's rights.
-- Run after the schema and data files, as the owner of the views. Safe to run again.

DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_catalog.pg_roles WHERE rolname = 'user') THEN
        CREATE ROLE "user" LOGIN PASSWORD 'tamarisk';
    END IF;
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO "user"', current_database());
    EXECUTE format('GRANT USAGE ON SCHEMA %I TO "user"', current_schema());
END
$$;

REVOKE ALL ON TABLE lith_term, strat_unit FROM "user";
GRANT SELECT ON TABLE QryLithParent, QryStratParent TO "user";
