-- SPDX-License-Identifier: GPL-3.0-or-later
-- Kestrelon demo database, PostgreSQL and MariaDB version: lithology and stratigraphy tables and
-- the two views the browser reads (QryLithParent, QryStratParent; unquoted, so PostgreSQL stores
-- them in lower case). Load first, then lithology.sql, stratigraphy.sql, and grants.postgresql.sql
-- or grants.mariadb.sql. Re-running starts afresh.

DROP VIEW IF EXISTS QryLithParent;
DROP VIEW IF EXISTS QryStratParent;
DROP TABLE IF EXISTS lith_term CASCADE;
DROP TABLE IF EXISTS strat_unit CASCADE;

-- One row per lithology term; top terms have no parent and level 1.
CREATE TABLE lith_term (
    lith_id     INTEGER PRIMARY KEY,
    lithology   TEXT    NOT NULL,
    parent_id   INTEGER NULL REFERENCES lith_term (lith_id),
    lith_level  INTEGER NOT NULL CHECK (lith_level >= 1),
    description TEXT    NULL
);
CREATE INDEX lith_term_parent_idx ON lith_term (parent_id);

-- One row per chronostratigraphic unit; ages are in millions of years before present.
-- Levels: 100 eon, 200 era, 300 period, 350 sub-period, 400 epoch, 500 age.
CREATE TABLE strat_unit (
    strat_id    INTEGER PRIMARY KEY,
    strat_name  TEXT    NOT NULL,
    parent_id   INTEGER NULL REFERENCES strat_unit (strat_id),
    strat_level INTEGER NOT NULL,
    strat_rank  TEXT    NOT NULL
                CHECK (strat_rank IN ('Eon', 'Era', 'Period', 'Sub-period', 'Epoch', 'Age')),
    min_age     double precision NULL,
    max_age     double precision NULL,
    CHECK (min_age IS NULL OR max_age IS NULL OR min_age < max_age)
);
CREATE INDEX strat_unit_parent_idx ON strat_unit (parent_id);

-- Every term with its parent's name and level; parents come before their children.
CREATE VIEW QryLithParent AS
SELECT t.lithology   AS Lithology,
       p.lithology   AS Parent,
       t.lith_level  AS Lith_level,
       t.lith_id     AS lith_id,
       t.parent_id   AS parent_id,
       p.lith_level  AS parent_level,
       t.description AS description
FROM lith_term AS t
LEFT JOIN lith_term AS p ON p.lith_id = t.parent_id
ORDER BY t.lith_level, t.lithology, t.lith_id;

-- Every unit with its parent's name and level; parents first, siblings youngest first.
CREATE VIEW QryStratParent AS
SELECT s.strat_name  AS strat_name,
       p.strat_name  AS Parent,
       s.strat_level AS strat_level,
       s.strat_id    AS strat_id,
       s.parent_id   AS parent_id,
       p.strat_level AS parent_level,
       s.strat_rank  AS strat_rank,
       s.min_age     AS min_age,
       s.max_age     AS max_age
FROM strat_unit AS s
LEFT JOIN strat_unit AS p ON p.strat_id = s.parent_id
ORDER BY s.strat_level, s.min_age, s.strat_id;
